// The settings restore's portable rules: trimming, the line reader, both INI
// filters line by line and as whole passes, the default-device rule, the
// run-line edit and the counter.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "inirestore/filters.h"

namespace {

const char* Name(LineAction a)
{
    return a == LineAction::Write ? "write" : a == LineAction::Drop ? "drop" : "replace";
}

// The text as a file opened for binary reading.
struct TextFile {
    std::FILE* file;
    explicit TextFile(const std::string& text) : file(std::tmpfile())
    {
        if (file) {
            std::fwrite(text.data(), 1, text.size(), file);
            std::rewind(file);
        }
    }
    ~TextFile()
    {
        if (file)
            std::fclose(file);
    }
};

struct Output {
    std::string text;
    int writesLeft = -1;  // writes that succeed before one fails; -1: all
};

bool Collect(const char* text, std::size_t length, void* context)
{
    auto* out = static_cast<Output*>(context);
    if (out->writesLeft == 0)
        return false;
    if (out->writesLeft > 0)
        --out->writesLeft;
    out->text.append(text, length);
    return true;
}

// What a pass writes for `text`, or "<failed>".
std::string Pass(bool (*pass)(std::FILE*, IniWriter, void*), const std::string& text,
                 int writesLeft = -1)
{
    TextFile in(text);
    Output out;
    out.writesLeft = writesLeft;
    return pass(in.file, Collect, &out) ? out.text : "<failed>";
}

TEST(TrimLine, RemovesSpacesTabsAndLineFeedsButNotCarriageReturns)
{
    const char* rows[][2] = {
        {"\t  [386Enh]\n", "[386Enh]"}, {"\n", ""}, {"  a \t b  ", "a \t b"}, {"\r\n", "\r"},
        {" \r ", "\r"}, {"a\t\n\n", "a"},
    };
    for (auto& row : rows) {
        char buffer[32];
        std::strcpy(buffer, row[0]);
        EXPECT_EQ(TrimLine(buffer), buffer);
        EXPECT_STREQ(buffer, row[1]) << "input \"" << row[0] << "\"";
    }
}

// The reader hands out every byte of the file once, as a text-mode read
// would fold it, whatever the line's length and whatever bytes it holds.
TEST(ReadIniLine, EveryByteOnceAndLinesWhole)
{
    const std::string cut(198, 'a');
    const struct {
        const char* name;
        std::string text;
        std::vector<std::string> lines;
    } rows[] = {
        {"CR LF folded, last line without end", "a\r\nb\nc", {"a\n", "b\n", "c"}},
        {"lone CR kept inside the line", "a\rb\r\n\r", {"a\rb\n", "\r"}},
        {"Ctrl+Z and NUL are ordinary", std::string("a\x1a" "b\0c\r\nd", 8),
         {std::string("a\x1a" "b\0c\n", 6), "d"}},
        {"CR LF across a piece's end", cut + "\r\n" + cut + "x\r\ny", {cut + "\n", cut + "x\n", "y"}},
        {"a line of 5000 bytes", std::string(5000, 'l') + "\n", {std::string(5000, 'l') + "\n"}},
        {"empty file", "", {}},
    };
    for (const auto& r : rows) {
        TextFile in(r.text);
        IniLine line;
        std::vector<std::string> got;
        while (ReadIniLine(in.file, &line) == ReadResult::Line) {
            EXPECT_EQ(line.text[line.length], '\0') << r.name;
            EXPECT_GT(line.capacity, line.length) << r.name;
            got.emplace_back(line.text, line.length);
        }
        EXPECT_EQ(got, r.lines) << r.name;
    }
}

constexpr LineAction W = LineAction::Write, D = LineAction::Drop, R = LineAction::Replace;

TEST(SystemIniFilter, EveryTransition)
{
    struct Row { const char* group; bool inside; const char* line; LineAction act; bool after; } rows[] = {
        {"header", false, "  [386ENH] \t\n", W, true}, {"header", true, "[386enh]\n", W, true},
        {"outside", false, "[386Enh] x\n", W, false}, {"outside", false, "VornLPT=LPT1\n", W, false},
        {"outside", false, ";device=vpd.386\n", W, false}, {"other header", true, "[boot]\n", W, false},
        {"other header", true, "   [boot.description\n", W, false}, {"no equals", true, "\n", W, true},
        {"no equals", true, "; about VORNVMI.386\n", W, true}, {"vpd", true, ";device=vpd.386\n", R, true},
        {"vpd", true, ";DEVICE = C:\\W\\VPD.386\n", R, true}, {"vpd", true, "; device=vpd.386\n", W, true},
        {"vpd", true, "device=*vpd\n", W, true}, {"vpd", true, ";device=myvpd.386\n", W, true},
        {"package", true, "VORNLPT = 1\n", D, true}, {"package", true, "\t vornlpt=\n", D, true},
        {"package", true, "device=C:\\W\\VORNVMI.386\n", D, true}, {"package", true, "o=c:\\x\\VornVmi.386\n", D, true},
        {"package", true, ";device=VORNVMI.386\n", D, true}, {"other", true, "device=C:\\X\\MYVORNVMI.386\n", W, true},
        {"other", true, "device=vornvmi.386x\n", W, true}, {"other", true, "VornLPTX=1\n", W, true},
    };
    for (const Row& row : rows) {
        SystemIniFilter filter;
        filter.inside = row.inside;
        char scratch[64];
        EXPECT_STREQ(Name(filter.Next(row.line, scratch, sizeof scratch)), Name(row.act))
            << row.group << ": " << row.line;
        EXPECT_EQ(filter.inside, row.after) << row.group << ": " << row.line;
    }
}

TEST(WinIniFilter, EveryTransition)
{
    using S = WinIniFilter::State;
    constexpr S Out = S::Outside, Fil = S::Filtering, Drp = S::Dropping;
    struct Row { const char* group; S state; const char* line; LineAction action; S after; } rows[] = {
        {"package header", Out, "[QOR Brackenfield 4400,LPT1:]\n", D, Drp},
        {"package header", Fil, "[QOR Brackenfield Model 2890 GDI,LPT2:]\n", D, Drp},
        {"package header", Drp, "  [QOR 4400 Brackenfield PS2,LPT1: Fonts]\n", D, Drp},
        {"package header", Fil, "note=see [QOR Brackenfield 4400 manual\n", D, Drp},
        {"fixed section", Out, "[Devices]\n", W, Fil}, {"fixed section", Drp, "[PrinterPorts]\n", W, Fil},
        {"fixed section", Fil, "  [pscript]  \n", W, Fil}, {"fixed section", Out, "[ports]", W, Fil},
        {"outside", Out, "[ports] x\n", W, Out}, {"outside", Out, "QOR.GDI=x\n", W, Out},
        {"outside", Out, "a=VORNPS\n", W, Out}, {"other header", Fil, "[windows]\n", W, Out},
        {"other header", Drp, " [Other Printer,LPT1:]\n", W, Out}, {"dropping", Drp, "x=y\n", D, Drp},
        {"other header", Fil, "[qor brackenfield 4400,LPT1:]\n", W, Out}, {"dropping", Drp, "\n", D, Drp},
        {"no equals", Fil, "VORNPS\n", W, Fil}, {"package entry", Fil, "  a = vornps \n", D, Fil},
        {"package entry", Fil, "QOR 4400 Brackenfield PS2=PSCRIPT,LPT1:\n", D, Fil},
        {"package entry", Fil, "My QOR Brackenfield 4400 copy=x\n", D, Fil},
        {"package entry", Fil, "QOR.PS=\n", D, Fil}, {"package entry", Fil, " Qor.Pcl = 1\n", D, Fil},
        {"package entry", Fil, "qor.gdi=1\n", D, Fil}, {"other entry", Fil, "a=VORNPS,LPT1:\n", W, Fil},
        {"other entry", Fil, "qor 4400 brackenfield ps2=PSCRIPT,LPT1:\n", W, Fil},
        {"other entry", Fil, "QOR.PCLX=1\n", W, Fil}, {"other entry", Fil, ";QOR.GDI=1\n", W, Fil},
    };
    for (const Row& row : rows) {
        WinIniFilter filter;
        filter.state = row.state;
        char scratch[64];
        EXPECT_STREQ(Name(filter.Next(row.line, scratch, sizeof scratch)), Name(row.action))
            << row.group << ": " << row.line;
        EXPECT_EQ(static_cast<int>(filter.state), static_cast<int>(row.after))
            << row.group << ": " << row.line;
    }
}

// A line is judged whole however long it is: never glued to the next one,
// never dropped for what lies beyond a reader's buffer.
TEST(Passes, LongLinesAreJudgedWhole)
{
    const std::string x190(190, 'x'), v120(120, 'v');
    const struct {
        const char* name;
        bool (*pass)(std::FILE*, IniWriter, void*);
        std::string before, after;
    } rows[] = {
        {"package value at the end of a long entry", FilterWinIni,
         "[devices]\r\nWide Printer=PSCRIPT," + x190 + ",LPT1:=VORNPS\r\nOffice Printer=PSCRIPT,LPT2:\r\n",
         "[devices]\nWide Printer=PSCRIPT," + x190 + ",LPT1:=VORNPS\nOffice Printer=PSCRIPT,LPT2:\n"},
        {"package pattern far into a line", FilterWinIni,
         "[ports]\r\nLPT1:=" + x190 + "[QOR Brackenfield 4400\r\n[mail]\r\nMAPI=1\r\n",
         "[ports]\n[mail]\nMAPI=1\n"},
        {"long package entry dropped whole", FilterWinIni,
         "[pscript]\nQOR.PS=" + x190 + "\nkeep=1\n[x]\nQOR.PS=1", "[pscript]\nkeep=1\n[x]\nQOR.PS=1"},
        {"long [386Enh] lines", FilterSystemIni,
         "[386Enh]\r\nlong=" + v120 + "=VornLPT=1\r\ndevice=" + v120 + "\\VORNVMI.386\r\n;device=" +
             v120 + "\\vpd.386\r\nlast=1",
         "[386Enh]\nlong=" + v120 + "=VornLPT=1\ndevice=vpd.386\nlast=1"},
        {"Ctrl+Z is no end", FilterSystemIni, "[386Enh]\r\nVornLPT=1\r\n\x1a\r\nafter=1\r\n",
         "[386Enh]\n\x1a\nafter=1\n"},
    };
    for (const auto& r : rows)
        EXPECT_EQ(Pass(r.pass, r.before), r.after) << r.name;
    // A read or a write that fails fails the pass, so that the old content
    // goes back.
    std::FILE* unreadable = std::fopen("/dev/null", "w");
    ASSERT_TRUE(unreadable);
    Output sink;
    EXPECT_FALSE(FilterWinIni(unreadable, Collect, &sink));
    EXPECT_FALSE(FilterSystemIni(unreadable, Collect, &sink));
    std::fclose(unreadable);
    EXPECT_EQ(Pass(FilterWinIni, "[a]\nb=1\nc=2\n", 2), "<failed>");
    EXPECT_EQ(Pass(FilterWinIni, "[a]\nb=1\nc=2\n", 3), "[a]\nb=1\nc=2\n");
}

std::string ScanDevice(const std::string& text)
{
    char device[100];
    std::memset(device, '#', sizeof device);
    std::strcpy(device, "old");
    TextFile in(text);
    EXPECT_TRUE(ScanDefaultDevice(in.file, device, sizeof device));
    return std::string(device, strnlen(device, sizeof device));
}

TEST(DefaultDevice, TakesTheFirstEntryOfDevices)
{
    const std::string L120(120, 'L');
    struct Row { const char* name; std::string text; const char* device; } rows[] = {
        {"first entry after a comment",
         "[windows]\ndevice=x,y,z\n[devices]\n;comment\n\nOffice Printer=PSCRIPT,LPT2:\nB=c,d\n",
         "Office Printer,PSCRIPT,LPT2:"},
        {"blanks around equals stay", "[devices]\r\nOffice Printer = PSCRIPT,LPT2:\r\n",
         "Office Printer , PSCRIPT,LPT2:"},
        {"header in any case, indented entry", "[DEVICES]\n   P=d,LPT1:   \n", "P,d,LPT1:"},
        {"next section first", "[devices]\n; none\n  [ports]\nA=b\n", " "},
        {"devices last and empty", "[windows]\n[devices]\n\n", "old"},
        {"no devices", "[windows]\nA=b,c\n", "old"},
        {"line without equals is skipped", "[devices]\nno equals\nP=d,LPT1:\n", "P,d,LPT1:"},
        {"too long entry is skipped", "[devices]\n" + L120 + "=d,p\nQ=e,LPT1:\n", "Q,e,LPT1:"},
        {"long line is one line", "[devices]\n" + L120 + "[x]=d\nQ=e,LPT1:\n", "Q,e,LPT1:"},
        {"only the first equals", "[devices]\nP=d=e", "P,d=e"},
    };
    for (const Row& row : rows)
        EXPECT_EQ(ScanDevice(row.text), row.device) << row.name;
}

TEST(RemoveRunProgram, TakesOutOnlyTheProgramsWord)
{
    const std::string longRun = std::string(300, 'a') + " C:\\QOR\\QVWPD.EXE " + std::string(300, 'b');
    struct Row { std::string in; bool found; std::string out; } rows[] = {
        {"C:\\APPS\\QVWPD.EXE", true, ""}, {"c:\\apps\\qvwpd.exe  notepad.exe", true, "notepad.exe"},
        {"CALC.EXE C:\\APPS\\QVWPD.EXE", true, "CALC.EXE"},
        {"calc.exe  c:\\QvWpD.exe\tNotepad.exe", true, "calc.exe Notepad.exe"},
        {"qvwpd.exe qvwpd.exe x QVWPD.EXE", true, "x"}, {"calc.exe QVWPD.EX", false, "calc.exe QVWPD.EX"},
        {longRun, true, std::string(300, 'a') + " " + std::string(300, 'b')},
    };
    for (Row& row : rows) {
        std::string run = row.in;
        EXPECT_EQ(RemoveRunProgram(&run[0]), row.found) << row.in;
        EXPECT_EQ(run.c_str(), row.out) << row.in;
    }
}

TEST(NextPrinterCount, CountsDownAndNeverBelowZero)
{
    struct Row { unsigned count; const char* text; } rows[] = {  // text null: nothing to write
        {3, "2"}, {1, "0"}, {0, nullptr}, {0xFFFFFFFFu, nullptr}, {0x80000000u, "2147483647"},
    };
    for (const Row& row : rows) {
        char text[16] = "untouched";
        EXPECT_EQ(NextPrinterCount(row.count, text, sizeof text), row.text != nullptr) << row.count;
        EXPECT_STREQ(text, row.text ? row.text : "untouched") << row.count;
    }
    char tiny[2];
    EXPECT_FALSE(NextPrinterCount(100, tiny, sizeof tiny));
}

}  // namespace
