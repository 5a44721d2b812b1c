// The settings restore's portable rules: trimming, the line reader, both INI
// filters line by line and as whole passes, the default-device rule, the
// run-line edit and the counter.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "inirestore/filters.h"

namespace {

using File = std::unique_ptr<std::FILE, int (*)(std::FILE*)>;
using PassFn = bool (*)(std::FILE*, IniWriter, void*, IniPassReport*);

// The text as a file opened for binary reading.
File Open(const std::string& text)
{
    File file(std::tmpfile(), std::fclose);
    if (file && std::fwrite(text.data(), 1, text.size(), file.get()) == text.size())
        std::rewind(file.get());
    return file;
}

// What a pass writes for the file, or "<failed>"; after `writesLeft` writes
// (-1: never) one fails.
std::string Pass(PassFn pass, std::FILE* in, int writesLeft = -1)
{
    struct Out { std::string text; int left; } out{"", writesLeft};
    IniWriter collect = [](const char* text, std::size_t length, void* context) {
        auto* o = static_cast<Out*>(context);
        return o->left-- != 0 && (o->text.append(text, length), true);
    };
    return pass(in, collect, &out, nullptr) ? out.text : "<failed>";
}

// A filter's judgement of `line` when in `state`: the action, (w)rite,
// (d)rop or (r)eplace, and the state after it.
template <class Filter, class State>
std::string Judge(State Filter::*member, int state, const char* line)
{
    Filter filter;
    filter.*member = static_cast<State>(state);
    char scratch[64];
    LineAction action = filter.Next(line, scratch, sizeof scratch);
    return "wdr"[static_cast<int>(action)] + std::to_string(static_cast<int>(filter.*member));
}

TEST(TrimLine, RemovesSpacesTabsAndLineFeedsButNotCarriageReturns)
{
    const char* rows[][2] = {{"\t  [386Enh]\n", "[386Enh]"}, {"\n", ""}, {"  a \t b  ", "a \t b"},
                             {"\r\n", "\r"}, {" \r ", "\r"}, {"a\t\n\n", "a"}};
    for (auto& row : rows) {
        // On the heap and exactly as long as the text, where a read or write
        // past its end shows.
        std::vector<char> buffer(row[0], row[0] + std::strlen(row[0]) + 1);
        EXPECT_EQ(TrimLine(buffer.data()), buffer.data());
        EXPECT_STREQ(buffer.data(), row[1]) << "input \"" << row[0] << "\"";
    }
}

// The reader hands out every byte of the file once, as a text-mode read
// would fold it, whatever the line's length and whatever bytes it holds.
TEST(ReadIniLine, EveryByteOnceAndLinesWhole)
{
    const std::string cut(198, 'a'), l255(255, 'f'), l5000(5000, 'l');
    const struct { const char* name; std::string text; std::vector<std::string> lines; } rows[] = {
        {"CR LF folded, last line without end", "a\r\nb\nc", {"a\n", "b\n", "c"}},
        {"lone CR kept inside the line", "a\rb\r\n\r", {"a\rb\n", "\r"}},
        {"Ctrl+Z and NUL", std::string("a\x1a" "b\0c\r\nd", 8), {std::string("a\x1a" "b\0c\n", 6), "d"}},
        {"CR LF across a piece's end", cut + "\r\n" + cut + "x\r\ny", {cut + "\n", cut + "x\n", "y"}},
        {"lines that fill the buffer", l255 + "\n" + l5000 + "\n", {l255 + "\n", l5000 + "\n"}},
        {"empty file", "", {}},
    };
    for (const auto& r : rows) {
        File in = Open(r.text);
        IniLine line;
        std::vector<std::string> got;
        while (ReadIniLine(in.get(), &line) == ReadResult::Line) {
            EXPECT_TRUE(line.capacity > line.length && line.text[line.length] == '\0') << r.name;
            got.emplace_back(line.text, line.length);
        }
        EXPECT_EQ(got, r.lines) << r.name;
    }
}

// Each filter from each state. SYSTEM.INI: 1 inside [386Enh]. WIN.INI: 0
// outside, 1 in one of the four filtered sections, 2 in a package section.
TEST(Filters, EveryTransition)
{
    struct Row { int state; const char* line; const char* judged; };
    const Row system[] = {
        {0, "  [386ENH] \t\n", "w1"}, {1, "[386enh]\n", "w1"}, {0, "[386Enh] x\n", "w0"}, {1, "\n", "w1"},
        {0, "VornLPT=1\n", "w0"}, {0, ";device=vpd.386\n", "w0"}, {1, "[boot]\n", "w0"},
        {1, " [boot\n", "w0"}, {1, "; VORNVMI.386\n", "w1"}, {1, ";device=vpd.386\n", "r1"},
        {1, ";DEVICE = C:\\VPD.386\n", "r1"}, {1, "; device=vpd.386\n", "w1"}, {1, "device=*vpd\n", "w1"},
        {1, ";device=myvpd.386\n", "w1"}, {1, "VORNLPT = 1\n", "d1"}, {1, "\t vornlpt=\n", "d1"},
        {1, "device=C:\\W\\VORNVMI.386\n", "d1"}, {1, "o=c:\\x\\VornVmi.386\n", "d1"},
        {1, ";device=VORNVMI.386\n", "d1"}, {1, "VornLPTX=1\n", "w1"},
        {1, "device=C:\\X\\MYVORNVMI.386\n", "w1"}, {1, "device=vornvmi.386x\n", "w1"},
    };
    const Row win[] = {
        {0, "[QOR Brackenfield 4400,LPT1:]\n", "d2"}, {1, "[QOR Brackenfield Model 2890 GDI,LPT2:]\n", "d2"},
        {2, "  [QOR 4400 Brackenfield PS2,LPT1: Fonts]\n", "d2"}, {1, "x=[QOR Brackenfield 4400 y\n", "d2"},
        {0, "[Devices]\n", "w1"}, {2, "[PrinterPorts]\n", "w1"}, {1, "  [pscript]  \n", "w1"},
        {0, "[ports]", "w1"}, {0, "[ports] x\n", "w0"}, {0, "QOR.GDI=x\n", "w0"}, {0, "a=VORNPS\n", "w0"},
        {1, "[windows]\n", "w0"}, {2, " [Other Printer,LPT1:]\n", "w0"},
        {1, "[qor brackenfield 4400\n", "w0"}, {2, "\n", "d2"}, {2, "x=y\n", "d2"}, {1, "VORNPS\n", "w1"},
        {1, "  a = vornps \n", "d1"}, {1, "QOR.PS=\n", "d1"}, {1, " Qor.Pcl = 1\n", "d1"},
        {1, "qor.gdi=1\n", "d1"}, {1, "a=VORNPS,\n", "w1"}, {1, "QOR 4400 Brackenfield PS2=P,LPT1:\n", "d1"},
        {1, "My QOR Brackenfield 4400 copy=x\n", "d1"}, {1, "QOR.PCLX=1\n", "w1"}, {1, ";QOR.GDI=1\n", "w1"},
        {1, "qor 4400 brackenfield ps2=P\n", "w1"},
    };
    for (const Row& r : system)
        EXPECT_EQ(Judge(&SystemIniFilter::inside, r.state, r.line), r.judged) << r.state << ": " << r.line;
    for (const Row& r : win)
        EXPECT_EQ(Judge(&WinIniFilter::state, r.state, r.line), r.judged) << r.state << ": " << r.line;
}

// A line is judged whole however long it is: never glued to the next one,
// never dropped for what lies beyond a reader's buffer. A read or a write
// that fails fails the pass, so that the old content goes back.
TEST(Passes, LongLinesAreJudgedWholeAndFailuresFail)
{
    const std::string x200(200, 'x'), v120(120, 'v');
    const struct { const char* name; PassFn pass; std::string before, after; } rows[] = {
        {"package value at the end of a long entry", FilterWinIni,
         "[devices]\r\nW=" + x200 + "=VORNPS\r\nO=P\r\n", "[devices]\nW=" + x200 + "=VORNPS\nO=P\n"},
        {"package pattern far into a line", FilterWinIni,
         "[ports]\r\nLPT1:=" + x200 + "[QOR Brackenfield 4400\r\n[mail]\r\nM=1\r\n",
         "[ports]\n[mail]\nM=1\n"},
        {"long package entry dropped whole", FilterWinIni,
         "[pscript]\nQOR.PS=" + x200 + "\nkeep=1\n[x]\nQOR.PS=1", "[pscript]\nkeep=1\n[x]\nQOR.PS=1"},
        {"long [386Enh] lines", FilterSystemIni,
         "[386Enh]\r\nlong=" + v120 + "=VornLPT=1\r\ndevice=" + v120 + "\\VORNVMI.386\r\n;device=" + v120 +
             "\\vpd.386\r\nlast=1",
         "[386Enh]\nlong=" + v120 + "=VornLPT=1\ndevice=vpd.386\nlast=1"},
    };
    for (const auto& r : rows)
        EXPECT_EQ(Pass(r.pass, Open(r.before).get()), r.after) << r.name;
    File unreadable(std::fopen("/dev/null", "w"), std::fclose);
    EXPECT_EQ(Pass(FilterWinIni, unreadable.get()), "<failed>");
    EXPECT_EQ(Pass(FilterSystemIni, unreadable.get()), "<failed>");
    // A write that fails, after others or in place of a line, fails it too.
    EXPECT_EQ(Pass(FilterWinIni, Open("[a]\nb=1\nc=2\n").get(), 2), "<failed>");
    EXPECT_EQ(Pass(FilterSystemIni, Open("[386Enh]\n;device=vpd.386\n").get(), 1), "<failed>");
}

// The report of a pass, for the action log and for counting the printer
// down: every line not written unchanged, once, with the header of the
// section it lies in.
TEST(Passes, ReportNamesEachLineNotWrittenAsItWas)
{
    std::string seen;
    IniPassReport report;
    report.context = &seen;
    report.observe = [](void* context, const char* section, const char* line, const char* replacement) {
        *static_cast<std::string*>(context) += std::string(section) + "|" + line + "|" +
                                               (replacement ? replacement : "-") + "\n";
    };
    IniWriter ignore = [](const char*, std::size_t, void*) { return true; };
    File system = Open("a=1\r\n [386Enh] \r\nVornLPT=1\r\n;device=vpd.386\r\n[boot]\r\nVornLPT=1\r\n");
    ASSERT_TRUE(FilterSystemIni(system.get(), ignore, nullptr, &report));
    EXPECT_EQ(seen, "[386Enh]|VornLPT=1\n|-\n[386Enh]|;device=vpd.386\n|device=vpd.386\n\n");
    EXPECT_EQ(std::make_pair(report.dropped, report.replaced), std::make_pair(1ul, 1ul));

    seen.clear();
    report.dropped = report.replaced = 0;
    File win = Open("x=VORNPS\n  [QOR Brackenfield 4400,LPT1:]  \nr=1\n[devices]\nQOR.GDI=1\nP=d\n");
    ASSERT_TRUE(FilterWinIni(win.get(), ignore, nullptr, &report));
    EXPECT_EQ(seen, "[QOR Brackenfield 4400,LPT1:]|  [QOR Brackenfield 4400,LPT1:]  \n|-\n"
                    "[QOR Brackenfield 4400,LPT1:]|r=1\n|-\n[devices]|QOR.GDI=1\n|-\n");
    EXPECT_EQ(std::make_pair(report.dropped, report.replaced), std::make_pair(3ul, 0ul));
}

TEST(DefaultDevice, TakesTheFirstEntryOfDevices)
{
    const std::string L120(120, 'L');
    struct Row { const char* name; std::string text; std::string device; } rows[] = {
        {"first entry after a comment", "[windows]\nd=x,y\n[devices]\n;c=x,y\n\nOffice P=PS,LPT2:\nB=c\n",
         "Office P,PS,LPT2:"},
        {"blanks around equals", "[devices]\r\nOffice Printer = PS,LPT2:\r\n", "Office Printer , PS,LPT2:"},
        {"header in any case, indented entry", "[DEVICES]\n   P=d,LPT1:   \n", "P,d,LPT1:"},
        {"next section first", "[devices]\n; none\n  [ports]\nA=b\n", " "},
        {"devices last and empty", "[windows]\n[devices]\n\n", "old"}, {"none", "[win]\nA=b,c\n", "old"},
        {"line without equals is skipped", "[devices]\nno equals\nP=d,LPT1:\n", "P,d,LPT1:"},
        {"too long entry is skipped", "[devices]\n" + L120 + "=d,p\nQ=e,LPT1:\n", "Q,e,LPT1:"},
        {"long line is one line", "[devices]\n" + L120 + "[x]=d\nQ=e,LPT1:\n", "Q,e,LPT1:"},
        {"only the first equals", "[devices]\nP=d=e", "P,d=e"},
        {"an entry as long as the field is skipped", "[devices]\n" + std::string(98, 'E') + "=d\nQ=e,LPT1:\n",
         "Q,e,LPT1:"},
    };
    for (const Row& row : rows) {
        std::string device = std::string("old", 4) + std::string(96, '#');  // a missing terminator shows
        EXPECT_TRUE(ScanDefaultDevice(Open(row.text).get(), &device[0], device.size())) << row.name;
        EXPECT_EQ(device.c_str(), row.device) << row.name;
    }
    // A field too small even for " " is left empty, not as it was.
    char one = 'x';
    EXPECT_TRUE(ScanDefaultDevice(Open("[devices]\n[ports]\n").get(), &one, 1));
    EXPECT_EQ(one, '\0');
}

// The word goes, and only the word; the result tells whether the line changed.
TEST(RemoveRunProgram, TakesOutOnlyTheProgramsWord)
{
    const std::string a300(300, 'a'), b300(300, 'b');
    const std::string rows[][2] = {
        {"C:\\APPS\\QVWPD.EXE", ""}, {"c:\\apps\\qvwpd.exe  notepad.exe", "notepad.exe"},
        {"CALC.EXE C:\\APPS\\QVWPD.EXE", "CALC.EXE"}, {"qvwpd.exe qvwpd.exe x QVWPD.EXE y qvwpd.exe", "x y"},
        {"calc.exe  c:\\QvWpD.exe\tNotepad.exe", "calc.exe Notepad.exe"}, {"calc QVWPD.EX", "calc QVWPD.EX"},
        {a300 + " C:\\QOR\\QVWPD.EXE " + b300, a300 + " " + b300},
    };
    for (const auto& row : rows) {
        std::string run = row[0];
        EXPECT_EQ(RemoveRunProgram(&run[0]), row[0] != row[1]) << row[0];
        EXPECT_EQ(run.c_str(), row[1]) << row[0];
    }
}

TEST(NextPrinterCount, CountsDownAndNeverBelowZero)
{
    struct Row { unsigned count; std::string text; } rows[] = {
        {3, "2"}, {1, "0"}, {0, "untouched"}, {0xFFFFFFFFu, "untouched"}, {0x80000000u, "2147483647"}};
    for (const Row& row : rows) {
        char text[16] = "untouched";
        EXPECT_EQ(NextPrinterCount(row.count, text, sizeof text), row.text != "untouched") << row.count;
        EXPECT_EQ(text, row.text) << row.count;
    }
    char tiny[2];
    EXPECT_FALSE(NextPrinterCount(100, tiny, sizeof tiny));
}

// The printer's name is the text before the first comma, blanks around it
// aside, in any case; a name that only begins like the package's is another.
TEST(IsPackageDevice, ThePrinterNameWholeInAnyCase)
{
    const std::pair<std::string, bool> rows[] = {
        {"QOR Brackenfield 4400,Q44PCL,LPT1:", true}, {" qor brackenfield model 2890 gdi ,x,LPT2:", true},
        {"QOR 4400 Brackenfield PS2", true}, {"QOR Brackenfield 44001,Q44PCL,LPT1:", false},
        {"QOR Brackenfield,4400", false}, {"Office Printer,PSCRIPT,LPT2:", false}, {"", false},
        {std::string(120, ' ') + "QOR Brackenfield 4400,x", false},
    };
    for (const auto& [device, package] : rows)
        EXPECT_EQ(IsPackageDevice(device.c_str()), package) << device;
}

}  // namespace
