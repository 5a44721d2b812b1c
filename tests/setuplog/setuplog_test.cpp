// The setup log parser and SetupLogQuery: the digit rule, lines and headers,
// each section, the style filter, capacities, and every query into buffers of
// exactly the documented widths.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <initializer_list>
#include <memory>
#include <string>
#include <utility>

#include "base/base.h"
#include "setuplog/tables.h"

namespace {

// The lines joined with CR LF, the last one too.
std::string Lines(std::initializer_list<std::string> lines)
{
    std::string text;
    for (const std::string& l : lines)
        text += l + "\r\n";
    return text;
}

// Parses `text` (which may hold zero bytes) from a buffer of exactly its size
// and the terminator, so that a read past the end shows under ASan; with
// `bytesRead` at or above 0 as what was read from a file.
void Parse(const std::string& text, int printerStyle = 0, long bytesRead = -1)
{
    g_config.PrinterStyle = printerStyle;
    std::unique_ptr<char[]> buf(new char[text.size() + 1]);
    std::memcpy(buf.get(), text.c_str(), text.size() + 1);
    if (bytesRead < 0)
        ParseSetupLog(buf.get());
    else
        ParseSetupLogFile(buf.get(), static_cast<unsigned long>(bytesRead));
}

// One table as text: (a)pplication, dis(k)s, (d)irs, (f)iles or (p)rogram items.
std::string Table(char table)
{
    const LogHeader& h = g_logHeader;
    std::string s = table != 'a' ? "" : std::string(h.AppName) + "|" + h.DefDir + "|" +
                                            std::to_string(h.SpaceNeeded) + "|" + h.PMGroupPart1 + "|" +
                                            h.PMGroupPart2;
    for (int i = 0; table == 'k' && i < h.DiskCount; ++i)
        s += std::to_string(g_diskTable[i].Id) + "=" + g_diskTable[i].Label + ";";
    for (int i = 0; table == 'd' && i < h.DirCount; ++i)
        s += std::to_string(g_dirTable[i].Id) + "=" + g_dirTable[i].Name + ";";
    for (const FileEntry* f = g_fileTable; table == 'f' && f < g_fileTable + h.FileCount; ++f)
        s += std::string(f->FileName) + "," + std::to_string(f->DirId) + "," + f->AltName + "," +
             std::to_string(f->AltDirId) + "," + std::to_string(f->DiskId) + "," + std::to_string(f->Flag) +
             ";";
    for (const PMItemEntry* p = g_pmItemTable; table == 'p' && p < g_pmItemTable + h.PMItemCount; ++p)
        s += std::string(p->ItemFile) + "," + p->ItemText + "," + p->ItemAltFile + "," +
             std::to_string(p->ItemNumber) + ";";
    return s;
}

TEST(Digits, RuleAndWrapAround)
{
    struct Row { const char* text; unsigned short v16; int v32; } rows[] = {
        {"07", 7, 7}, {"x", 0, 0}, {"70000", 4464, 70000}, {"1200K", 1200, 1200}, {"-5", 0, 0}, {" 5", 0, 0},
        {"4294967295", 65535, -1}, {"2147483648", 0, INT_MIN}, {"123456789012", 6676, -1097262572},
    };
    for (const Row& r : rows)
        EXPECT_EQ(std::to_string(ParseDigits16(r.text)) + " " + std::to_string(ParseDigits32(r.text)),
                  std::to_string(r.v16) + " " + std::to_string(r.v32)) << r.text;
}

// Each row a whole log (or what was read of a file: bytesRead at or above 0)
// and the table it leaves. Descriptive texts are cut to their width; file
// and directory names are never cut.
TEST(Parse, LinesSectionsAndFields)
{
    const unsigned long kLimit = kLogReadLimit;
    const std::string a39(kAppNameWidth - 1, 'A'), x120(120, 'x'), n49(kFileNameWidth - 1, 'n');
    const std::string e29(kDirNameWidth - 1, 'e'), t29(kItemTextWidth - 1, 'T');
    const std::string l49(kDiskLabelWidth - 1, 'L');
    struct Row { const char* name; std::string text; char table; std::string expected; long bytesRead; };
    const Row rows[] = {
        {"LF alone ends no line", "[Dirs]\n1=A\r\n2=B\r\n", 'd', "", -1},
        {"byte after CR skipped whatever it is", "[Dirs]\r\n1=A\rX2=B\r\n", 'd', "1=A;2=B;", -1},
        {"no line end at all", "[Dirs]\r\n1=A\r", 'd', "1=A;", -1},
        {"zero byte ends the text", std::string("[Dirs]\r\n1=A\r\n\0" "2=B\r\n", 19), 'd', "1=A;", -1},
        {"lines before the first header", "1=A\r\n[Dirs]\r\n2=B\r\n", 'd', "2=B;", -1},
        {"header in any case, blanks around", " \t[dIRS] \r\n1=A\r\n", 'd', "1=A;", -1},
        {"[end] ends the log", "[Dirs]\r\n1=A\r\n[end]\r\n[Dirs]\r\n2=B\r\n", 'd', "1=A;", -1},
        {"comment behind a header", "[Dirs] ;x\r\n1=A\r\n", 'd', "", -1},
        {"unknown section", "[Dirs]\r\n1=A\r\n[Other]\r\n2=B\r\n", 'd', "1=A;", -1},
        {"comments and blank lines", "[Dirs]\r\n;1=A\r\n\t\t\r\n  ; 2=B\r\n\r\n3=C\r\n", 'd', "3=C;", -1},
        {"long comment: its tail is no line", "[Dirs]\r\n;" + x120 + "5=EVIL\r\n", 'd', "", -1},
        {"long line read whole", "[Dirs]\r\n12=" + std::string(90, ' ') + "SUB\r\n", 'd', "12=SUB;", -1},
        {"whole file without a last CR LF", "[Dirs]\r\n1=A\r\n2=B", 'd', "1=A;2=B;", 16},
        {"zero byte inside a line", std::string("[Dirs]\r\n1=A\r\n2=B\0C\r\n", 20), 'd', "1=A;", 20},
        {"read limit inside a line", "[Dirs]\r\n1=A\r\n;" + std::string(kLimit - 21, 'x') + "\r\n2=BCD", 'd',
         "1=A;", kLimit},
        {"read limit right after a CR", "[Dirs]\r\n1=A\r\n2=B\r" + std::string(kLimit - 17, ';'), 'd',
         "1=A;2=B;", kLimit},
        {"[Application]",
         Lines({"[Application]", " appName \t=  My Printer ", "DefDir=first", "DEFDIR=C:\\QOR=X",
                "SpaceNeeded=1200K", "DefPMGroup= QOR Group , Printer Tools, More", "NoEquals"}),
         'a', "My Printer|C:\\QOR=X|1200|QOR Group|Printer Tools, More", -1},
        // Right after a log that had everything.
        {"no [Application]: nothing left of the last log's", "[Dirs]\r\n1=A\r\n", 'a', "||0||", -1},
        {"[Application] cut",
         Lines({"[Application]", "AppName=A" + a39, "DefPMGroup=A,B", "DefPMGroup=NoCommaButLong"}), 'a',
         a39 + "||0|NoCommaButLon|", -1},
        {"[Disks]", Lines({"[Disks]", "07 = Disk 1", "x=Disk X", "no equals", "1=L" + l49}), 'k',
         "7=Disk 1;0=Disk X;1=" + l49 + ";", -1},
        // A name too long for its field, or a line without "=", keeps its
        // slot with an empty name, so that entry 2 is still DATA.
        // Fills the slot that the next row's line without "=" takes.
        {"five [Dirs]", Lines({"[Dirs]", "1=A", "2=B", "3=C", "4=D", "5=E"}), 'd', "1=A;2=B;3=C;4=D;5=E;", -1},
        {"[Dirs]", Lines({"[Dirs]", "1=.", "2=" + e29 + "x", "3=DATA", "NOEQUALS", "5=" + e29, "3=QOR"}), 'd',
         "1=.;2=;3=DATA;0=;5=" + e29 + ";3=QOR;", -1},
        // A second name too long for its field, and a long text after the
        // sixth comma of a file that is not style-filtered, do not cost the entry.
        {"[Files]",
         Lines({"[Files]", "Q44PCL.DRV, 2 ,QPCL.DRV,3, 1 , Y", "a.dll,1,,0,1,yes", "b.dll,1,,0,1,N",
                "c.dll,1,,0,1,", "d.dll,1,,0,1, ,Y", "few.dll,1,,0,1", n49 + "x,1,,0,1,Y", n49 + ",1,,0,1,Y",
                "f.dll,1,ALTNAME123.DLL,0,1,Y", "g.dll,7,,0,1,Y," + x120}),
         'f', "Q44PCL.DRV,2,QPCL.DRV,3,1,1;a.dll,1,,0,1,1;b.dll,1,,0,1,0;c.dll,1,,0,1,0;d.dll,1,,0,1,0;" +
                  n49 + ",1,,0,1,1;f.dll,1,,0,1,1;g.dll,7,,0,1,1;", -1},
        {"[PM Info]",
         Lines({"[PM Info]", "ONE", "a.exe, Caption ", "b.exe,Text,c.hlp", "d.exe,Text,e.exe, 12x,9",
                "NAMEOF14CHARS1,T", "f.exe,T" + t29}),
         'p', "a.exe,Caption,,0;b.exe,Text,c.hlp,0;d.exe,Text,e.exe,12;f.exe," + t29 + ",,0;", -1},
    };
    for (const Row& r : rows) {
        Parse(r.text, 0, r.bytesRead);
        EXPECT_EQ(Table(r.table), r.expected) << r.name;
    }
}

TEST(Capacities, ExtraLinesAreIgnored)
{
    const LogHeader& h = g_logHeader;
    struct Row { const char* header; const char* line; int capacity; const unsigned short* count; } rows[] = {
        {"[Disks]", "=Disk", kMaxDisks, &h.DiskCount}, {"[Dirs]", "=D", kMaxDirs, &h.DirCount},
        {"[Files]", ".DLL,1,,0,1,Y", kMaxFiles, &h.FileCount},
        {"[PM Info]", ".EXE,Item", kMaxPMItems, &h.PMItemCount},
    };
    for (const Row& r : rows) {
        std::string text = Lines({r.header});
        for (int i = 0; i < r.capacity + 5; ++i)
            text += Lines({std::to_string(i) + r.line});
        Parse(text);
        EXPECT_EQ(*r.count, r.capacity) << r.header;
    }
    EXPECT_STREQ(g_fileTable[kMaxFiles - 1].FileName, "511.DLL");
}

TEST(Files, StyleFilter)
{
    struct Row { const char* name; const char* tail; int style; bool kept; } rows[] = {
        {"LOGO.BMP", ",50", 50, true}, {"LOGO.BMP", ",50", 0, false}, {"LOGO.BMP", ", 200 ", 0, true},
        {"LOGO.BMP", ",200", 50, false}, {"x.ini", ",aLl", 50, true}, {"x.ini", ",ALL,x", 0, false},
        {"x.INI", "", 0, false}, {"a.bmp.old", ",bad", 0, false}, {"a.Bmp", ",bad", 50, true},
    };
    for (const Row& r : rows) {
        Parse(Lines({"[Files]", "first.dll,1,,0,1,Y", "earlier.dll,1,,0,1,Y"}));
        Parse(Lines({"[Files]", "first.dll,1,,0,1,Y", std::string(r.name) + ",1,,0,1,Y" + r.tail}), r.style);
        // A dropped line leaves no trace in the slot it would have filled.
        EXPECT_EQ(std::to_string(g_logHeader.FileCount) + " " + g_fileTable[1].FileName,
                  r.kept ? "2 " + std::string(r.name) : "1 earlier.dll")
            << r.name << r.tail << " style " << r.style;
    }
}

// Every query in one table: operation, key, width of the copy (0: no copy),
// the text and the result expected. The copy goes into a buffer of exactly
// that width followed by guard bytes; a query without a copy leaves them.
TEST(Queries, Answers)
{
    Parse(Lines({"[Application]", "AppName=" + std::string(kAppNameWidth - 1, 'a'), "DefDir=C:\\QOR",
                 "SpaceNeeded=4294967295", "DefPMGroup=QOR 4400,Printer Tools", "[Disks]", "2=Disk Two",
                 "1=Disk One", "1=Disk 3", "[Dirs]", "5=SYSTEM", "3=WINDOWS", "3=QOR", "[Files]",
                 "A.DLL,5,ALT.DLL,3,2,Y", "B.DLL,9,,8,7,N", "a.dll,5,,5,1,N", "b.dll,5,,5,1,N", "[PM Info]",
                 "a.dll,Item A", "NOFILE.EXE,Item B,B.DLL,7", "C.EXE,Item C,,65535", "[End]"}));
    struct Row { unsigned long op, key; int width; std::string text; int result; } rows[] = {
        {kGetAppName, 0, kAppNameWidth, std::string(kAppNameWidth - 1, 'a'), 0},
        {kGetDefDir, 0, kDefDirWidth, "C:\\QOR", 0}, {kGetPMGroupPart1, 0, kPMGroupPart1Width, "QOR 4400", 0},
        {kGetPMGroupPart2, 0, kPMGroupPart2Width, "Printer Tools", 0}, {kGetSpaceNeeded, 0, 0, "", -1},
        {kGetDiskCount, 0, 0, "", 3}, {kGetDirCount, 0, 0, "", 3}, {kGetFileCount, 0, 0, "", 4},
        {kGetPMItemCount, 0, 0, "", 3},
        // The backward searches find the last entry; only the low 16 bits count.
        {kFindDir, 3, 0, "", 2}, {kFindDir, 65536 + 3, 0, "", 2}, {kFindDir, 4, 0, "", -1},
        {kFindDisk, 1, 0, "", 2}, {kFindDisk, 3, 0, "", -1},
        {kGetDirName, 0x10001, kDirNameWidth, "WINDOWS", 0},
        {kGetDiskLabel, 1, kDiskLabelWidth, "Disk One", 0}, {kGetFileName, 1, kFileNameWidth, "B.DLL", 0},
        {kGetFileAltName, 0, kAltNameWidth, "ALT.DLL", 0}, {kGetFileDir, 0, kDirNameWidth, "SYSTEM", 5},
        // Disk Two is the first entry of [Disks].
        {kGetFileAltDir, 0, kDirNameWidth, "QOR", 3}, {kGetFileDisk, 0, kDiskLabelWidth, "Disk Two", 2},
        {kGetFileFlag, 0, 0, "", 1}, {kGetFileFlag, 1, 0, "", 0},
        // Identifiers missing from [Dirs] and [Disks]: an empty name, never a
        // neighbour's, and still the identifier as the result.
        {kGetFileDir, 1, kDirNameWidth, "", 9}, {kGetFileAltDir, 1, kDirNameWidth, "", 8},
        {kGetFileDisk, 1, kDiskLabelWidth, "", 7}, {kGetPMItemFile, 0, kItemFileWidth, "a.dll", 2},
        {kGetPMItemFile, 1, kItemFileWidth, "NOFILE.EXE", -1},
        {kGetPMItemText, 1, kItemTextWidth, "Item B", 0}, {kGetPMItemAltFile, 0, kItemFileWidth, "a.dll", 2},
        {kGetPMItemAltFile, 1, kItemFileWidth, "B.DLL", (7 << 16) | 0xFFFF},
        // 65535 in both halves.
        {kGetPMItemAltFile, 2, kItemFileWidth, "C.EXE", -1},
        // Keys at or beyond a table's capacity: an empty text and 0.
        {kGetDiskLabel, kMaxDisks, kDiskLabelWidth, "", 0}, {kGetDirName, kMaxDirs, kDirNameWidth, "", 0},
        {kGetFileName, kMaxFiles, kFileNameWidth, "", 0}, {kGetFileFlag, kMaxFiles, 0, "", 0},
        {kGetPMItemAltFile, 40000, kItemFileWidth, "", 0},
        // Operations above 23 answer 0.
        {24, 0, 0, "", 0},
    };
    for (const Row& r : rows) {
        std::string buf = std::string(r.width, '#') + "GUARD";
        int result = SetupLogQuery(r.op, r.key, &buf[0]);
        EXPECT_EQ(std::to_string(result) + " " + buf.c_str() + "|" + buf.substr(r.width),
                  std::to_string(r.result) + " " + (r.width ? r.text : "GUARD") + "|GUARD")
            << "op " << r.op << " key " << r.key;
    }
    // The file search: the first entry of that name in any case, and only
    // when its second directory is listed.
    for (auto [name, result] : {std::pair<std::string, int>{"a.dll", 2}, {"b.dll", -1}, {"c.dll", -1}})
        EXPECT_EQ(SetupLogQuery(kFindFileDir, 0, &name[0]), result) << name;
    // No name names no directory, not the first one.
    EXPECT_EQ(SetupLogQuery(kFindFileDir, 0, nullptr), -1);
}

}  // namespace
