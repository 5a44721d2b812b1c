// SetupLogQuery over parsed logs: counts, copies into buffers of exactly the
// documented widths, the searches and the joined answers.
#include "logtext.h"

namespace {

const std::string kLog = Lines({
    "[Application]", "AppName=" + std::string(kAppNameWidth - 1, 'a'), "DefDir=C:\\QOR",
    "SpaceNeeded=4294967295", "DefPMGroup=QOR 4400,Printer Tools",
    "[Disks]", "1=Disk One", "2=Disk Two",
    "[Dirs]", "3=WINDOWS", "5=SYSTEM", "3=QOR",
    "[Files]", "A.DLL,5,ALT.DLL,3,2,Y", "B.DLL,9,,8,7,N", "a.dll,5,,5,1,N",
    "[PM Info]", "a.dll,Item A", "NOFILE.EXE,Item B,B.DLL,7", "C.EXE,Item C,,65535",
    "[End]",
});

class Queries : public ::testing::Test {
protected:
    void SetUp() override { Parse(kLog); }
};

TEST_F(Queries, HeaderAndCounts)
{
    EXPECT_EQ(Ask(kGetAppName, 0, kAppNameWidth), std::string(kAppNameWidth - 1, 'a'));
    EXPECT_EQ(Ask(kGetDefDir, 0, kDefDirWidth), "C:\\QOR");
    EXPECT_EQ(Ask(kGetPMGroupPart1, 0, kPMGroupPart1Width), "QOR 4400");
    EXPECT_EQ(Ask(kGetPMGroupPart2, 0, kPMGroupPart2Width), "Printer Tools");
    EXPECT_EQ(SetupLogQuery(kGetSpaceNeeded, 0, nullptr), -1);
    EXPECT_EQ(SetupLogQuery(kGetDiskCount, 0, nullptr), 2);
    EXPECT_EQ(SetupLogQuery(kGetDirCount, 0, nullptr), 3);
    EXPECT_EQ(SetupLogQuery(kGetFileCount, 0, nullptr), 3);
    EXPECT_EQ(SetupLogQuery(kGetPMItemCount, 0, nullptr), 3);
}

TEST_F(Queries, BackwardSearchesFindTheLastEntry)
{
    EXPECT_EQ(SetupLogQuery(kFindDir, 3, nullptr), 2);
    EXPECT_EQ(SetupLogQuery(kFindDir, 65536 + 3, nullptr), 2);  // only the low 16 bits count
    EXPECT_EQ(SetupLogQuery(kFindDir, 5, nullptr), 1);
    EXPECT_EQ(SetupLogQuery(kFindDir, 4, nullptr), -1);
    EXPECT_EQ(SetupLogQuery(kFindDisk, 1, nullptr), 0);
    EXPECT_EQ(SetupLogQuery(kFindDisk, 3, nullptr), -1);
    EXPECT_EQ(Ask(kGetDirName, 0x10001, kDirNameWidth), "SYSTEM");
}

TEST_F(Queries, FileEntriesAndJoinedAnswers)
{
    int r;
    EXPECT_EQ(Ask(kGetFileName, 1, kFileNameWidth), "B.DLL");
    EXPECT_EQ(Ask(kGetFileAltName, 0, kAltNameWidth), "ALT.DLL");
    EXPECT_EQ(Ask(kGetFileDir, 0, kDirNameWidth, &r), "SYSTEM");
    EXPECT_EQ(r, 5);
    EXPECT_EQ(Ask(kGetFileAltDir, 0, kDirNameWidth, &r), "QOR");
    EXPECT_EQ(r, 3);
    EXPECT_EQ(Ask(kGetFileDisk, 0, kDiskLabelWidth, &r), "Disk Two");
    EXPECT_EQ(r, 2);
    EXPECT_EQ(SetupLogQuery(kGetFileFlag, 0, nullptr), 1);
    EXPECT_EQ(SetupLogQuery(kGetFileFlag, 1, nullptr), 0);
    // Identifiers missing from [Dirs] and [Disks]: an empty name, never a
    // neighbour's, and still the identifier as the result.
    EXPECT_EQ(Ask(kGetFileDir, 1, kDirNameWidth, &r), "");
    EXPECT_EQ(r, 9);
    EXPECT_EQ(Ask(kGetFileAltDir, 1, kDirNameWidth, &r), "");
    EXPECT_EQ(r, 8);
    EXPECT_EQ(Ask(kGetFileDisk, 1, kDiskLabelWidth, &r), "");
    EXPECT_EQ(r, 7);
}

TEST_F(Queries, FindFileDir)
{
    struct Row {
        const char* name;
        int expected;
    } rows[] = {
        {"a.dll", 2},   // the first of two entries of that name, any case
        {"b.dll", -1},  // its second directory is not listed
        {"c.dll", -1},  // not a file entry
    };
    for (const Row& r : rows) {
        char name[16];
        std::strcpy(name, r.name);
        EXPECT_EQ(SetupLogQuery(kFindFileDir, 0, name), r.expected) << r.name;
    }
    EXPECT_EQ(SetupLogQuery(kFindFileDir, 0, nullptr), -1);
}

TEST_F(Queries, ProgramManagerItems)
{
    int r;
    EXPECT_EQ(Ask(kGetPMItemFile, 0, kItemFileWidth, &r), "a.dll");
    EXPECT_EQ(r, 2);
    EXPECT_EQ(Ask(kGetPMItemFile, 1, kItemFileWidth, &r), "NOFILE.EXE");
    EXPECT_EQ(r, -1);
    EXPECT_EQ(Ask(kGetPMItemText, 1, kItemTextWidth), "Item B");
    // Without a third field the item's own file, and 0 in the high half.
    EXPECT_EQ(Ask(kGetPMItemAltFile, 0, kItemFileWidth, &r), "a.dll");
    EXPECT_EQ(r, 2);
    EXPECT_EQ(Ask(kGetPMItemAltFile, 1, kItemFileWidth, &r), "B.DLL");
    EXPECT_EQ(r, (7 << 16) | 0xFFFF);
    EXPECT_EQ(Ask(kGetPMItemAltFile, 2, kItemFileWidth, &r), "C.EXE");
    EXPECT_EQ(static_cast<unsigned>(r), 0xFFFFFFFFu);
}

TEST_F(Queries, KeysOutsideTheTablesAndUnknownOperations)
{
    struct Row {
        unsigned long op, key;
        int width;
    } rows[] = {
        {kGetDiskLabel, kMaxDisks, kDiskLabelWidth},   {kGetDirName, kMaxDirs, kDirNameWidth},
        {kGetFileName, kMaxFiles, kFileNameWidth},     {kGetFileAltName, 65535, kAltNameWidth},
        {kGetFileAltDir, kMaxFiles, kDirNameWidth},    {kGetFileDir, kMaxFiles, kDirNameWidth},
        {kGetFileDisk, kMaxFiles, kDiskLabelWidth},    {kGetPMItemFile, kMaxPMItems, kItemFileWidth},
        {kGetPMItemText, kMaxPMItems, kItemTextWidth}, {kGetPMItemAltFile, 40000, kItemFileWidth},
    };
    for (const Row& row : rows) {
        int r = 99;
        EXPECT_EQ(Ask(row.op, row.key, row.width, &r), "") << "op " << row.op;
        EXPECT_EQ(r, 0) << "op " << row.op;
    }
    EXPECT_EQ(SetupLogQuery(kGetFileFlag, kMaxFiles, nullptr), 0);

    for (unsigned long op : {24ul, 1000ul, 0xFFFFFFFFul}) {
        char buf[8] = "intact";
        EXPECT_EQ(SetupLogQuery(op, 0, buf), 0) << op;
        EXPECT_STREQ(buf, "intact") << op;
    }
}

TEST(EmptyLog, NothingIsFound)
{
    Parse(Lines({"[Files]", "A.DLL,1,,0,1,Y"}));
    Parse("");
    for (unsigned long op : {kGetDiskCount, kGetDirCount, kGetFileCount, kGetPMItemCount})
        EXPECT_EQ(SetupLogQuery(op, 0, nullptr), 0) << op;
    char name[] = "A.DLL";
    EXPECT_EQ(SetupLogQuery(kFindFileDir, 0, name), -1);
    EXPECT_EQ(SetupLogQuery(kFindDir, 0, nullptr), -1);
    EXPECT_EQ(SetupLogQuery(kFindDisk, 0, nullptr), -1);
}

}  // namespace
