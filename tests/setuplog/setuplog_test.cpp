// The setup log parser and SetupLogQuery: the digit rule, lines and headers,
// each section, the style filter, capacities, and every query into buffers of
// exactly the documented widths.
#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "setuplog/tables.h"
#include "shell/config.h"

namespace {

const std::string kLong(120, 'A');

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

// A copying query into a buffer of `width` bytes followed by guard bytes.
std::string Ask(unsigned long op, unsigned long key, int width, int* result)
{
    std::string buf = std::string(width, '#') + "GUARD";
    *result = SetupLogQuery(op, key, &buf[0]);
    EXPECT_EQ(buf.substr(width), "GUARD") << "op " << op << " key " << key << " wrote past " << width;
    EXPECT_NE(std::memchr(buf.data(), '\0', width), nullptr) << "op " << op << " left no terminator";
    return buf.c_str();
}

TEST(Digits, RuleAndWrapAround)
{
    struct Row { const char* text; unsigned short v16; int v32; } rows[] = {
        {"07", 7, 7}, {"x", 0, 0}, {"70000", 4464, 70000}, {"1200K", 1200, 1200}, {"-5", 0, 0},
        {" 5", 0, 0}, {"", 0, 0}, {"65536", 0, 65536}, {"4294967295", 65535, -1},
        {"2147483648", 0, INT_MIN}, {"123456789012", 6676, -1097262572},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(ParseDigits16(r.text), r.v16) << r.text;
        EXPECT_EQ(ParseDigits32(r.text), r.v32) << r.text;
    }
}

// Each row is a whole log; [Dirs] lines are the probe. Rows with a read size
// are parsed as a file read that may have been cut short.
TEST(Lines, SplittingHeadersCommentsAndCutText)
{
    const unsigned long kLimit = kLogReadLimit;
    struct Row { const char* name; std::string text; int dirCount; long bytesRead = -1; } rows[] = {
        {"LF alone ends no line", "[Dirs]\n1=A\r\n2=B\r\n", 0},
        {"byte after CR skipped whatever it is", "[Dirs]\r\n1=A\rX2=B\r\n", 2},
        {"CR as the last byte", "[Dirs]\r\n1=A\r", 1},
        {"no line end at all", "[Dirs]\r\n1=A", 1},
        {"zero byte ends the text", std::string("[Dirs]\r\n1=A\r\n\0" "2=B\r\n", 19), 1},
        {"lines before the first header", "1=A\r\n[Dirs]\r\n2=B\r\n", 1},
        {"header in any case, blanks around", " \t[dIRS] \r\n1=A\r\n", 1},
        {"[end] in lower case ends the log", "[Dirs]\r\n1=A\r\n[end]\r\n[Dirs]\r\n2=B\r\n", 1},
        {"comment behind a header", "[Dirs] ;x\r\n1=A\r\n", 0},
        {"unknown section", "[Dirs]\r\n1=A\r\n[Other]\r\n2=B\r\n", 1},
        {"comments and blank lines", "[Dirs]\r\n;1=A\r\n\t\t\r\n  ; 2=B\r\n\r\n3=C\r\n", 1},
        {"long comment: its tail is no line", "[Dirs]\r\n;" + std::string(98, 'x') + "5=EVIL\r\n", 0},
        {"long header is unknown", "[Dirs]" + std::string(100, ' ') + "x\r\n1=A\r\n", 0},
        {"only blanks beyond the buffer", "[Dirs]\r\n2=SYSTEM" + std::string(120, ' ') + "\r\n", 1},
        {"cut line ends inside a name", "[Dirs]\r\n12=" + std::string(90, ' ') + "SUBDIRECTORY\r\n", 0},
        {"whole file without a last CR LF", "[Dirs]\r\n1=A\r\n2=B", 2, 16},
        {"zero byte inside a line", std::string("[Dirs]\r\n1=A\r\n2=B\0C\r\n", 20), 1, 20},
        {"read limit inside a line",
         "[Dirs]\r\n1=A\r\n;" + std::string(kLimit - 21, 'x') + "\r\n2=BCD", 1, kLimit},
        {"read limit right after a CR", "[Dirs]\r\n1=A\r\n2=B\r" + std::string(kLimit - 17, ';'), 2, kLimit},
    };
    for (const Row& r : rows) {
        Parse(r.text, 0, r.bytesRead);
        EXPECT_EQ(SetupLogQuery(kGetDirCount, 0, nullptr), r.dirCount) << r.name;
    }
}

TEST(Application, KeysValuesAndWidths)
{
    Parse(Lines({"[Application]", " AppName \t=  My Printer ", "DefDir=first", "DEFDIR=C:\\QOR=X",
                 "SpaceNeeded=1200K", "DefPMGroup= QOR Group , Printer Tools, More", "Other=1", "NoEquals"}));
    EXPECT_STREQ(g_logHeader.AppName, "My Printer");
    EXPECT_STREQ(g_logHeader.DefDir, "C:\\QOR=X");
    EXPECT_EQ(g_logHeader.SpaceNeeded, 1200);
    EXPECT_STREQ(g_logHeader.PMGroupPart1, "QOR Group");
    EXPECT_STREQ(g_logHeader.PMGroupPart2, "Printer Tools, More");

    // Descriptive texts are cut to their width, also when the line is cut.
    Parse(Lines({"[Application]", "AppName=" + kLong, "DefDir=" + kLong, "DefPMGroup=NoCommaButLong"}));
    EXPECT_EQ(std::string(g_logHeader.AppName), kLong.substr(0, kAppNameWidth - 1));
    EXPECT_EQ(std::string(g_logHeader.DefDir), kLong.substr(0, kDefDirWidth - 1));
    EXPECT_STREQ(g_logHeader.PMGroupPart1, "NoCommaButLon");
    EXPECT_STREQ(g_logHeader.PMGroupPart2, "");
}

TEST(DisksAndDirs, IdsNamesAndLimits)
{
    Parse(Lines({"[Disks]", "07 = Disk 1", "x=Disk X", "70000=Big", "no equals", "1=" + kLong, "[Dirs]",
                 "3=WINDOWS", "3=QOR", "4=" + std::string(kDirNameWidth, 'd'),
                 "6=" + std::string(kDirNameWidth - 1, 'e')}));
    ASSERT_EQ(g_logHeader.DiskCount, 4);
    const unsigned short ids[] = {7, 0, 4464, 1};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(g_diskTable[i].Id, ids[i]) << i;
    EXPECT_STREQ(g_diskTable[0].Label, "Disk 1");
    EXPECT_EQ(std::string(g_diskTable[3].Label), kLong.substr(0, kDiskLabelWidth - 1));
    // A directory name that does not fit is dropped, never cut.
    ASSERT_EQ(g_logHeader.DirCount, 3);
    EXPECT_STREQ(g_dirTable[1].Name, "QOR");
    EXPECT_EQ(std::string(g_dirTable[2].Name), std::string(kDirNameWidth - 1, 'e'));
}

TEST(Capacities, ExtraLinesAreIgnored)
{
    struct Row { const char* header; const char* line; int capacity; const unsigned short* count; } rows[] = {
        {"[Disks]", "%d=Disk", kMaxDisks, &g_logHeader.DiskCount},
        {"[Dirs]", "%d=D", kMaxDirs, &g_logHeader.DirCount},
        {"[Files]", "F%d.DLL,1,,0,1,Y", kMaxFiles, &g_logHeader.FileCount},
        {"[PM Info]", "I%d.EXE,Item", kMaxPMItems, &g_logHeader.PMItemCount},
    };
    for (const Row& r : rows) {
        std::string text = Lines({r.header});
        for (int i = 0; i < r.capacity + 5; ++i) {
            char line[40];
            std::snprintf(line, sizeof line, r.line, i);
            text += Lines({line});
        }
        Parse(text);
        EXPECT_EQ(*r.count, r.capacity) << r.header;
    }
    EXPECT_STREQ(g_fileTable[kMaxFiles - 1].FileName, "F511.DLL");
}

TEST(Files, FieldsFlagAndWidths)
{
    const std::string name49(kFileNameWidth - 1, 'n');
    Parse(Lines({"[Files]", "Q44PCL.DRV, 2 ,QPCL.DRV,3, 1 , Y", "a.dll,1,,0,1,yes", "b.dll,1,,0,1,N",
                 "c.dll,1,,0,1,", "d.dll,1,,0,1, ", "e.dll,1,,0,1, ,Y", "few.dll,1,,0,1",
                 name49 + "x,1,,0,1,Y", name49 + ",1,,0,1,Y", "f.dll,1,ALTNAME123.DLL,0,1,Y",
                 "g.dll,1,ALTNAME1.DLL,0,1,Y"}));
    ASSERT_EQ(g_logHeader.FileCount, 8);
    const FileEntry& f = g_fileTable[0];
    EXPECT_STREQ(f.FileName, "Q44PCL.DRV");
    EXPECT_STREQ(f.AltName, "QPCL.DRV");
    EXPECT_EQ((std::vector<int>{f.DirId, f.AltDirId, f.DiskId}), (std::vector<int>{2, 3, 1}));
    const int flags[] = {1, 1, 0, 0, 0, 0};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(g_fileTable[i].Flag, flags[i]) << g_fileTable[i].FileName;
    // Names that do not fit drop the whole line.
    EXPECT_EQ(std::string(g_fileTable[6].FileName), name49);
    EXPECT_STREQ(g_fileTable[7].FileName, "g.dll");
}

TEST(Files, StyleFilter)
{
    struct Row { const char* name; const char* tail; int style; bool kept; } rows[] = {
        {"LOGO.BMP", ",50", 50, true}, {"LOGO.BMP", ",50", 0, false}, {"LOGO.BMP", ", 200 ", 0, true},
        {"LOGO.BMP", ",200", 50, false}, {"LOGO.BMP", ",200", 7, true}, {"x.ini", ",aLl", 50, true},
        {"x.ini", ",ALL,x", 0, false}, {"x.INI", "", 0, false}, {"a.bmp.old", ",bad", 0, false},
        {"a.Bmp", ",bad", 50, true}, {"a.dll", ",bad", 0, true},
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
                 "NAMEOF14CHARS1,T", "f.exe,T,NAMEOF14CHARS1", "f.exe," + std::string(40, 'A')}));
    ASSERT_EQ(g_logHeader.PMItemCount, 4);
    const PMItemEntry* p = g_pmItemTable;
    EXPECT_STREQ(p[0].ItemFile, "a.exe");
    EXPECT_STREQ(p[0].ItemText, "Caption");
    EXPECT_STREQ(p[0].ItemAltFile, "");
    EXPECT_STREQ(p[1].ItemAltFile, "c.hlp");
    EXPECT_STREQ(p[2].ItemAltFile, "e.exe");
    EXPECT_EQ((std::vector<int>{p[0].ItemNumber, p[1].ItemNumber, p[2].ItemNumber}),
              (std::vector<int>{0, 0, 12}));
    EXPECT_EQ(std::string(p[3].ItemText), std::string(kItemTextWidth - 1, 'A'));
}

// Every query in one table: operation, key, width of the copy (0: no copy),
// the text and the result expected.
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
        // File entries and the answers joined through [Dirs] and [Disks].
        {kGetFileName, 1, kFileNameWidth, "B.DLL", 0}, {kGetFileAltName, 0, kAltNameWidth, "ALT.DLL", 0},
        {kGetFileDir, 0, kDirNameWidth, "SYSTEM", 5}, {kGetFileAltDir, 0, kDirNameWidth, "QOR", 3},
        {kGetFileDisk, 0, kDiskLabelWidth, "Disk Two", 2}, {kGetFileFlag, 0, 0, "", 1},
        {kGetFileFlag, 1, 0, "", 0},
        // Identifiers missing from [Dirs] and [Disks]: an empty name, never a
        // neighbour's, and still the identifier as the result.
        {kGetFileDir, 1, kDirNameWidth, "", 9}, {kGetFileAltDir, 1, kDirNameWidth, "", 8},
        {kGetFileDisk, 1, kDiskLabelWidth, "", 7},
        // Program Manager items: the name searched for, and where it was found.
        {kGetPMItemFile, 0, kItemFileWidth, "a.dll", 2},
        {kGetPMItemFile, 1, kItemFileWidth, "NOFILE.EXE", -1},
        {kGetPMItemText, 1, kItemTextWidth, "Item B", 0}, {kGetPMItemAltFile, 0, kItemFileWidth, "a.dll", 2},
        {kGetPMItemAltFile, 1, kItemFileWidth, "B.DLL", (7 << 16) | 0xFFFF},
        {kGetPMItemAltFile, 2, kItemFileWidth, "C.EXE", -1},  // 65535 in both halves
        // Keys at or beyond a table's capacity: an empty text and 0.
        {kGetDiskLabel, kMaxDisks, kDiskLabelWidth, "", 0}, {kGetDirName, kMaxDirs, kDirNameWidth, "", 0},
        {kGetFileName, kMaxFiles, kFileNameWidth, "", 0}, {kGetFileAltName, 65535, kAltNameWidth, "", 0},
        {kGetFileDisk, kMaxFiles, kDiskLabelWidth, "", 0}, {kGetFileFlag, kMaxFiles, 0, "", 0},
        {kGetPMItemText, kMaxPMItems, kItemTextWidth, "", 0},
        {kGetPMItemAltFile, 40000, kItemFileWidth, "", 0},
    };
    for (const Row& r : rows) {
        int result = r.width > 0 ? 99 : SetupLogQuery(r.op, r.key, nullptr);
        if (r.width > 0)
            EXPECT_EQ(Ask(r.op, r.key, r.width, &result), r.text) << "op " << r.op << " key " << r.key;
        EXPECT_EQ(result, r.result) << "op " << r.op << " key " << r.key;
    }

    // The file search: the first entry of that name in any case, and only
    // when its directory is listed.
    char names[][6] = {"a.dll", "b.dll", "c.dll"};
    EXPECT_EQ(SetupLogQuery(kFindFileDir, 0, names[0]), 2);
    EXPECT_EQ(SetupLogQuery(kFindFileDir, 0, names[1]), -1);
    EXPECT_EQ(SetupLogQuery(kFindFileDir, 0, names[2]), -1);
    EXPECT_EQ(SetupLogQuery(kFindFileDir, 0, nullptr), -1);

    for (unsigned long op : {24ul, 1000ul, 0xFFFFFFFFul}) {
        char buf[8] = "intact";
        EXPECT_EQ(SetupLogQuery(op, 0, buf), 0) << op;
        EXPECT_STREQ(buf, "intact") << op;
    }
}

}  // namespace
