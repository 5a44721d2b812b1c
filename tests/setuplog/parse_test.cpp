// The setup log parser: the digit rule, trimming, lines and headers, each
// section, the style filter, field widths and table capacities.
#include "logtext.h"

#include <climits>

namespace {

const std::string kLong(120, 'A');

TEST(Digits, RuleAndWrapAround)
{
    struct Row {
        const char* text;
        unsigned short v16;
        int v32;
    } rows[] = {
        {"07", 7, 7},          {"x", 0, 0},
        {"70000", 4464, 70000}, {"1200K", 1200, 1200},
        {"-5", 0, 0},          {" 5", 0, 0},
        {"", 0, 0},            {"65536", 0, 65536},
        {"4294967295", 65535, -1}, {"2147483648", 0, INT_MIN},
        {"123456789012", 6676, -1097262572},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(ParseDigits16(r.text), r.v16) << r.text;
        EXPECT_EQ(ParseDigits32(r.text), r.v32) << r.text;
    }
}

TEST(TrimBlanks, SpacesAndTabsAtBothEndsOnly)
{
    struct Row {
        const char* in;
        const char* out;
    } rows[] = {
        {" \t a  b \t", "a  b"}, {"\na\r", "\na\r"}, {"", ""}, {" \t\t ", ""}, {"x", "x"},
    };
    for (const Row& r : rows) {
        char buf[16];
        std::strcpy(buf, r.in);
        EXPECT_EQ(TrimBlanks(buf), buf);
        EXPECT_STREQ(buf, r.out) << '"' << r.in << '"';
    }
}

// Each row is a whole log; [Dirs] lines are the probe.
TEST(Lines, SplittingHeadersAndComments)
{
    struct Row {
        const char* name;
        std::string text;
        int dirCount;
    } rows[] = {
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
        {"cut line that ends inside a name", "[Dirs]\r\n12=" + std::string(90, ' ') + "SUBDIRECTORY\r\n", 0},
    };
    for (const Row& r : rows) {
        Parse(r.text);
        EXPECT_EQ(SetupLogQuery(kGetDirCount, 0, nullptr), r.dirCount) << r.name;
    }
}

TEST(Application, KeysValuesAndWidths)
{
    Parse(Lines({"[Application]", " AppName \t=  My Printer ", "DefDir=first", "DEFDIR=C:\\QOR=X",
                 "SpaceNeeded=1200K", "DefPMGroup= QOR Group , Printer Tools, More", "Other=1",
                 "NoEquals"}));
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
    Parse(Lines({"[Disks]", "07 = Disk 1", "x=Disk X", "70000=Big", "no equals", "1=" + kLong,
                 "[Dirs]", "3=WINDOWS", "3=QOR", "4=" + std::string(kDirNameWidth, 'd'),
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
    struct Row {
        const char* header;
        const char* format;
        int capacity;
        const unsigned short* count;
    } rows[] = {
        {"[Disks]", "%d=Disk", kMaxDisks, &g_logHeader.DiskCount},
        {"[Dirs]", "%d=D", kMaxDirs, &g_logHeader.DirCount},
        {"[Files]", "F%d.DLL,1,,0,1,Y", kMaxFiles, &g_logHeader.FileCount},
        {"[PM Info]", "I%d.EXE,Item", kMaxPMItems, &g_logHeader.PMItemCount},
    };
    for (const Row& r : rows) {
        std::string text = Lines({r.header});
        for (int i = 0; i < r.capacity + 5; ++i) {
            char line[40];
            std::snprintf(line, sizeof line, r.format, i);
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
    EXPECT_EQ(f.DirId, 2);
    EXPECT_STREQ(f.AltName, "QPCL.DRV");
    EXPECT_EQ(f.AltDirId, 3);
    EXPECT_EQ(f.DiskId, 1);
    const int flags[] = {1, 1, 0, 0, 0, 0};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(g_fileTable[i].Flag, flags[i]) << g_fileTable[i].FileName;
    // Names that do not fit drop the whole line.
    EXPECT_EQ(std::string(g_fileTable[6].FileName), name49);
    EXPECT_STREQ(g_fileTable[7].FileName, "g.dll");
}

TEST(Files, StyleFilter)
{
    struct Row {
        const char* name;
        const char* tail;
        int style;
        bool kept;
    } rows[] = {
        {"LOGO.BMP", ",50", 50, true},   {"LOGO.BMP", ",50", 0, false},
        {"LOGO.BMP", ", 200 ", 0, true}, {"LOGO.BMP", ",200", 50, false},
        {"LOGO.BMP", ",200", 7, true},   {"x.ini", ",aLl", 50, true},
        {"x.ini", ",ALL,x", 0, false},   {"x.INI", "", 0, false},
        {"a.bmp.old", ",bad", 0, false}, {"a.Bmp", ",bad", 50, true},
        {"a.dll", ",bad", 0, true},
    };
    for (const Row& r : rows) {
        Parse(Lines({"[Files]", "first.dll,1,,0,1,Y", "earlier.dll,1,,0,1,Y"}));
        Parse(Lines({"[Files]", "first.dll,1,,0,1,Y", std::string(r.name) + ",1,,0,1,Y" + r.tail}),
              r.style);
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
    EXPECT_EQ(p[0].ItemNumber, 0);
    EXPECT_STREQ(p[1].ItemAltFile, "c.hlp");
    EXPECT_EQ(p[1].ItemNumber, 0);
    EXPECT_STREQ(p[2].ItemAltFile, "e.exe");
    EXPECT_EQ(p[2].ItemNumber, 12);
    EXPECT_EQ(std::string(p[3].ItemText), std::string(kItemTextWidth - 1, 'A'));
}

TEST(ReadText, ACutTextLosesItsUnfinishedLine)
{
    struct Row {
        const char* name;
        std::string text;
        unsigned long bytesRead;
        int dirCount;
    } rows[] = {
        {"whole file without a last CR LF", "[Dirs]\r\n1=A\r\n2=B", 16, 2},
        {"zero byte inside a line", std::string("[Dirs]\r\n1=A\r\n2=B\0C\r\n", 20), 20, 1},
        {"read limit inside a line",
         "[Dirs]\r\n1=A\r\n;" + std::string(kLogReadLimit - 21, 'x') + "\r\n2=BCD", kLogReadLimit, 1},
        {"read limit right after a CR", "[Dirs]\r\n1=A\r\n2=B\r" + std::string(kLogReadLimit - 17, ';'),
         kLogReadLimit, 2},
    };
    for (Row& r : rows) {
        std::unique_ptr<char[]> buf(new char[r.text.size() + 1]);
        std::memcpy(buf.get(), r.text.data(), r.text.size());
        buf[r.text.size()] = '\0';
        ParseSetupLogFile(buf.get(), r.bytesRead);
        EXPECT_EQ(g_logHeader.DirCount, r.dirCount) << r.name;
    }
}

}  // namespace
