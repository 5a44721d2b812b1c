// The setup log parser and SetupLogQuery: the digit rule, lines and headers,
// each section, the style filter, capacities, and every query into buffers of
// exactly the documented widths.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "setuplog/tables.h"
#include "shell/config.h"

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
    std::memcpy(buf.get(), text.data(), text.size());
    buf[text.size()] = '\0';
    if (bytesRead < 0)
        ParseSetupLog(buf.get());
    else
        ParseSetupLogFile(buf.get(), static_cast<unsigned long>(bytesRead));
}

std::string DirNames()
{
    std::string names;
    for (int i = 0; i < g_logHeader.DirCount; ++i)
        names += std::to_string(g_dirTable[i].Id) + "=" + g_dirTable[i].Name + ";";
    return names;
}

TEST(Digits, RuleAndWrapAround)
{
    struct Row { const char* text; unsigned short v16; int v32; } rows[] = {
        {"07", 7, 7}, {"x", 0, 0}, {"70000", 4464, 70000}, {"1200K", 1200, 1200}, {"-5", 0, 0},
        {" 5", 0, 0}, {"4294967295", 65535, -1}, {"2147483648", 0, INT_MIN},
        {"123456789012", 6676, -1097262572},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(ParseDigits16(r.text), r.v16) << r.text;
        EXPECT_EQ(ParseDigits32(r.text), r.v32) << r.text;
    }
}

// Each row is a whole log; [Dirs] lines are the probe, their Id=Name in order.
TEST(Lines, SplittingHeadersCommentsAndCutText)
{
    const unsigned long kLimit = kLogReadLimit;
    struct Row { const char* name; std::string text; const char* dirs; long bytesRead = -1; } rows[] = {
        {"LF alone ends no line", "[Dirs]\n1=A\r\n2=B\r\n", ""},
        {"byte after CR skipped whatever it is", "[Dirs]\r\n1=A\rX2=B\r\n", "1=A;2=B;"},
        {"no line end at all", "[Dirs]\r\n1=A\r", "1=A;"},
        {"zero byte ends the text", std::string("[Dirs]\r\n1=A\r\n\0" "2=B\r\n", 19), "1=A;"},
        {"lines before the first header", "1=A\r\n[Dirs]\r\n2=B\r\n", "2=B;"},
        {"header in any case, blanks around", " \t[dIRS] \r\n1=A\r\n", "1=A;"},
        {"[end] in lower case ends the log", "[Dirs]\r\n1=A\r\n[end]\r\n[Dirs]\r\n2=B\r\n", "1=A;"},
        {"comment behind a header", "[Dirs] ;x\r\n1=A\r\n", ""},
        {"unknown section", "[Dirs]\r\n1=A\r\n[Other]\r\n2=B\r\n", "1=A;"},
        {"comments and blank lines", "[Dirs]\r\n;1=A\r\n\t\t\r\n  ; 2=B\r\n\r\n3=C\r\n", "3=C;"},
        {"long comment: its tail is no line", "[Dirs]\r\n;" + std::string(120, 'x') + "5=EVIL\r\n", ""},
        {"long line read whole", "[Dirs]\r\n12=" + std::string(90, ' ') + "SUBDIR\r\n", "12=SUBDIR;"},
        {"whole file without a last CR LF", "[Dirs]\r\n1=A\r\n2=B", "1=A;2=B;", 16},
        {"zero byte inside a line", std::string("[Dirs]\r\n1=A\r\n2=B\0C\r\n", 20), "1=A;", 20},
        {"read limit inside a line",
         "[Dirs]\r\n1=A\r\n;" + std::string(kLimit - 21, 'x') + "\r\n2=BCD", "1=A;", kLimit},
        {"read limit right after a CR", "[Dirs]\r\n1=A\r\n2=B\r" + std::string(kLimit - 17, ';'),
         "1=A;2=B;", kLimit},
    };
    for (const Row& r : rows) {
        Parse(r.text, 0, r.bytesRead);
        EXPECT_EQ(DirNames(), r.dirs) << r.name;
    }
}

TEST(Application, KeysValuesAndWidths)
{
    const std::string longText(120, 'A');
    Parse(Lines({"[Application]", " AppName \t=  My Printer ", "DefDir=first", "DEFDIR=C:\\QOR=X",
                 "SpaceNeeded=1200K", "DefPMGroup= QOR Group , Printer Tools, More", "NoEquals"}));
    EXPECT_STREQ(g_logHeader.AppName, "My Printer");
    EXPECT_STREQ(g_logHeader.DefDir, "C:\\QOR=X");
    EXPECT_EQ(g_logHeader.SpaceNeeded, 1200);
    EXPECT_STREQ(g_logHeader.PMGroupPart1, "QOR Group");
    EXPECT_STREQ(g_logHeader.PMGroupPart2, "Printer Tools, More");
    // Descriptive texts are cut to their width.
    Parse(Lines({"[Application]", "AppName=" + longText, "DefPMGroup=NoCommaButLong"}));
    EXPECT_EQ(std::string(g_logHeader.AppName), longText.substr(0, kAppNameWidth - 1));
    EXPECT_STREQ(g_logHeader.PMGroupPart1, "NoCommaButLon");
    EXPECT_STREQ(g_logHeader.PMGroupPart2, "");
}

TEST(DisksAndDirs, IdsNamesAndSlotsOfRejectedLines)
{
    Parse(Lines({"[Disks]", "07 = Disk 1", "x=Disk X", "no equals", "1=" + std::string(60, 'L'),
                 "[Dirs]", "1=.", "2=SPOOLING_DIRECTORY_WITH_A_VERY_LONG_NAME_X", "3=DATA",
                 "NOEQUALS", "5=" + std::string(kDirNameWidth - 1, 'e'), "3=QOR"}));
    ASSERT_EQ(g_logHeader.DiskCount, 3);
    EXPECT_EQ(g_diskTable[0].Id, 7);
    EXPECT_STREQ(g_diskTable[0].Label, "Disk 1");
    EXPECT_EQ(std::string(g_diskTable[2].Label), std::string(kDiskLabelWidth - 1, 'L'));
    // A name too long for its field, or a line without "=", keeps its slot
    // with an empty name, so that entry 2 is still DATA; names are never cut.
    EXPECT_EQ(DirNames(), "1=.;2=;3=DATA;0=;5=" + std::string(kDirNameWidth - 1, 'e') + ";3=QOR;");
}

TEST(Capacities, ExtraLinesAreIgnored)
{
    struct Row { const char* header; const char* line; int capacity; const unsigned short* count; } rows[] = {
        {"[Disks]", "=Disk", kMaxDisks, &g_logHeader.DiskCount},
        {"[Dirs]", "=D", kMaxDirs, &g_logHeader.DirCount},
        {"[Files]", ".DLL,1,,0,1,Y", kMaxFiles, &g_logHeader.FileCount},
        {"[PM Info]", ".EXE,Item", kMaxPMItems, &g_logHeader.PMItemCount},
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

TEST(Files, FieldsFlagAndWidths)
{
    const std::string name49(kFileNameWidth - 1, 'n');
    Parse(Lines({"[Files]", "Q44PCL.DRV, 2 ,QPCL.DRV,3, 1 , Y", "a.dll,1,,0,1,yes", "b.dll,1,,0,1,N",
                 "c.dll,1,,0,1,", "d.dll,1,,0,1, ,Y", "few.dll,1,,0,1", name49 + "x,1,,0,1,Y",
                 name49 + ",1,,0,1,Y", "f.dll,1,ALTNAME123.DLL,0,1,Y",
                 "g.dll,7,,0,1,Y," + std::string(120, 'c')}));
    const std::vector<std::string> names = {"Q44PCL.DRV", "a.dll", "b.dll", "c.dll", "d.dll",
                                            name49, "f.dll", "g.dll"};
    ASSERT_EQ(g_logHeader.FileCount, names.size());
    const int flags[] = {1, 1, 0, 0, 0, 1, 1, 1};
    for (std::size_t i = 0; i < names.size(); ++i) {
        EXPECT_EQ(g_fileTable[i].FileName, names[i]) << i;
        EXPECT_EQ(g_fileTable[i].Flag, flags[i]) << names[i];
    }
    const FileEntry& f = g_fileTable[0];
    EXPECT_STREQ(f.AltName, "QPCL.DRV");
    EXPECT_EQ((std::vector<int>{f.DirId, f.AltDirId, f.DiskId}), (std::vector<int>{2, 3, 1}));
    // A second name too long for its field, and a long text after the sixth
    // comma of a file that is not style-filtered, do not cost the entry.
    EXPECT_STREQ(g_fileTable[6].AltName, "");
    EXPECT_EQ(g_fileTable[7].DirId, 7);
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
        EXPECT_EQ(g_logHeader.FileCount, r.kept ? 2 : 1) << r.name << r.tail << " style " << r.style;
        // A dropped line leaves no trace in the slot it would have filled.
        EXPECT_STREQ(g_fileTable[1].FileName, r.kept ? r.name : "earlier.dll") << r.name << r.tail;
    }
}

TEST(PMInfo, FieldsAndWidths)
{
    Parse(Lines({"[PM Info]", "ONE", "a.exe, Caption ", "b.exe,Text,c.hlp", "d.exe,Text,e.exe, 12x,9",
                 "NAMEOF14CHARS1,T", "f.exe," + std::string(40, 'A')}));
    ASSERT_EQ(g_logHeader.PMItemCount, 4);
    const PMItemEntry* p = g_pmItemTable;
    EXPECT_STREQ(p[0].ItemFile, "a.exe");
    EXPECT_STREQ(p[0].ItemText, "Caption");
    EXPECT_STREQ(p[1].ItemAltFile, "c.hlp");
    EXPECT_STREQ(p[2].ItemAltFile, "e.exe");
    EXPECT_EQ((std::vector<int>{p[0].ItemNumber, p[1].ItemNumber, p[2].ItemNumber}),
              (std::vector<int>{0, 0, 12}));
    EXPECT_EQ(std::string(p[3].ItemText), std::string(kItemTextWidth - 1, 'A'));
}

// Every query in one table: operation, key, width of the copy (0: no copy),
// the text and the result expected. The copy goes into a buffer of exactly
// that width followed by guard bytes.
TEST(Queries, Answers)
{
    Parse(Lines({"[Application]", "AppName=" + std::string(kAppNameWidth - 1, 'a'), "DefDir=C:\\QOR",
                 "SpaceNeeded=4294967295", "DefPMGroup=QOR 4400,Printer Tools", "[Disks]", "1=Disk One",
                 "2=Disk Two", "[Dirs]", "3=WINDOWS", "5=SYSTEM", "3=QOR", "[Files]", "A.DLL,5,ALT.DLL,3,2,Y",
                 "B.DLL,9,,8,7,N", "a.dll,5,,5,1,N", "[PM Info]", "a.dll,Item A", "NOFILE.EXE,Item B,B.DLL,7",
                 "C.EXE,Item C,,65535", "[End]"}));
    struct Row { unsigned long op, key; int width; std::string text; int result; } rows[] = {
        {kGetAppName, 0, kAppNameWidth, std::string(kAppNameWidth - 1, 'a'), 0},
        {kGetDefDir, 0, kDefDirWidth, "C:\\QOR", 0},
        {kGetPMGroupPart1, 0, kPMGroupPart1Width, "QOR 4400", 0},
        {kGetPMGroupPart2, 0, kPMGroupPart2Width, "Printer Tools", 0},
        {kGetSpaceNeeded, 0, 0, "", -1}, {kGetDiskCount, 0, 0, "", 2}, {kGetDirCount, 0, 0, "", 3},
        {kGetFileCount, 0, 0, "", 3}, {kGetPMItemCount, 0, 0, "", 3},
        // The backward searches find the last entry; only the low 16 bits count.
        {kFindDir, 3, 0, "", 2}, {kFindDir, 65536 + 3, 0, "", 2}, {kFindDir, 4, 0, "", -1},
        {kFindDisk, 1, 0, "", 0}, {kFindDisk, 3, 0, "", -1},
        {kGetDirName, 0x10001, kDirNameWidth, "SYSTEM", 0},
        {kGetDiskLabel, 1, kDiskLabelWidth, "Disk Two", 0},
        {kGetFileName, 1, kFileNameWidth, "B.DLL", 0}, {kGetFileAltName, 0, kAltNameWidth, "ALT.DLL", 0},
        {kGetFileDir, 0, kDirNameWidth, "SYSTEM", 5}, {kGetFileAltDir, 0, kDirNameWidth, "QOR", 3},
        {kGetFileDisk, 0, kDiskLabelWidth, "Disk Two", 2}, {kGetFileFlag, 0, 0, "", 1},
        {kGetFileFlag, 1, 0, "", 0},
        // Identifiers missing from [Dirs] and [Disks]: an empty name, never a
        // neighbour's, and still the identifier as the result.
        {kGetFileDir, 1, kDirNameWidth, "", 9}, {kGetFileAltDir, 1, kDirNameWidth, "", 8},
        {kGetFileDisk, 1, kDiskLabelWidth, "", 7},
        {kGetPMItemFile, 0, kItemFileWidth, "a.dll", 2},
        {kGetPMItemFile, 1, kItemFileWidth, "NOFILE.EXE", -1},
        {kGetPMItemText, 1, kItemTextWidth, "Item B", 0}, {kGetPMItemAltFile, 0, kItemFileWidth, "a.dll", 2},
        {kGetPMItemAltFile, 1, kItemFileWidth, "B.DLL", (7 << 16) | 0xFFFF},
        {kGetPMItemAltFile, 2, kItemFileWidth, "C.EXE", -1},  // 65535 in both halves
        // Keys at or beyond a table's capacity: an empty text and 0.
        {kGetDiskLabel, kMaxDisks, kDiskLabelWidth, "", 0}, {kGetDirName, kMaxDirs, kDirNameWidth, "", 0},
        {kGetFileName, kMaxFiles, kFileNameWidth, "", 0}, {kGetFileFlag, kMaxFiles, 0, "", 0},
        {kGetPMItemAltFile, 40000, kItemFileWidth, "", 0},
    };
    for (const Row& r : rows) {
        std::string buf = std::string(r.width, '#') + "GUARD";
        int result = SetupLogQuery(r.op, r.key, r.width > 0 ? &buf[0] : nullptr);
        EXPECT_EQ(result, r.result) << "op " << r.op << " key " << r.key;
        if (r.width > 0) {
            EXPECT_EQ(buf.substr(r.width), "GUARD") << "op " << r.op << " wrote past " << r.width;
            EXPECT_EQ(buf.c_str(), r.text) << "op " << r.op << " key " << r.key;
        }
    }
    // The file search: the first entry of that name in any case, and only
    // when its second directory is listed.
    char names[][6] = {"a.dll", "b.dll", "c.dll"};
    EXPECT_EQ(SetupLogQuery(kFindFileDir, 0, names[0]), 2);
    EXPECT_EQ(SetupLogQuery(kFindFileDir, 0, names[1]), -1);
    EXPECT_EQ(SetupLogQuery(kFindFileDir, 0, names[2]), -1);
    char buf[8] = "intact";
    EXPECT_EQ(SetupLogQuery(24, 0, buf), 0);
    EXPECT_STREQ(buf, "intact");
}

}  // namespace
