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

// One row per question: operation, key, width of the copy (0: no copy), the
// text expected and the result expected.
TEST_F(Queries, Answers)
{
    struct Row {
        unsigned long op, key;
        int width;
        std::string text;
        int result;
    } rows[] = {
        {kGetAppName, 0, kAppNameWidth, std::string(kAppNameWidth - 1, 'a'), 0},
        {kGetDefDir, 0, kDefDirWidth, "C:\\QOR", 0},
        {kGetPMGroupPart1, 0, kPMGroupPart1Width, "QOR 4400", 0},
        {kGetPMGroupPart2, 0, kPMGroupPart2Width, "Printer Tools", 0},
        {kGetSpaceNeeded, 0, 0, "", -1},
        {kGetDiskCount, 0, 0, "", 2},
        {kGetDirCount, 0, 0, "", 3},
        {kGetFileCount, 0, 0, "", 3},
        {kGetPMItemCount, 0, 0, "", 3},
        // The backward searches find the last entry; only the low 16 bits count.
        {kFindDir, 3, 0, "", 2},
        {kFindDir, 65536 + 3, 0, "", 2},
        {kFindDir, 4, 0, "", -1},
        {kFindDisk, 1, 0, "", 0},
        {kFindDisk, 3, 0, "", -1},
        {kGetDirName, 0x10001, kDirNameWidth, "SYSTEM", 0},
        {kGetDiskLabel, 1, kDiskLabelWidth, "Disk Two", 0},
        // File entries and the answers joined through [Dirs] and [Disks].
        {kGetFileName, 1, kFileNameWidth, "B.DLL", 0},
        {kGetFileAltName, 0, kAltNameWidth, "ALT.DLL", 0},
        {kGetFileDir, 0, kDirNameWidth, "SYSTEM", 5},
        {kGetFileAltDir, 0, kDirNameWidth, "QOR", 3},
        {kGetFileDisk, 0, kDiskLabelWidth, "Disk Two", 2},
        {kGetFileFlag, 0, 0, "", 1},
        {kGetFileFlag, 1, 0, "", 0},
        // Identifiers missing from [Dirs] and [Disks]: an empty name, never a
        // neighbour's, and still the identifier as the result.
        {kGetFileDir, 1, kDirNameWidth, "", 9},
        {kGetFileAltDir, 1, kDirNameWidth, "", 8},
        {kGetFileDisk, 1, kDiskLabelWidth, "", 7},
        // Program Manager items: the name searched for, and where it was found.
        {kGetPMItemFile, 0, kItemFileWidth, "a.dll", 2},
        {kGetPMItemFile, 1, kItemFileWidth, "NOFILE.EXE", -1},
        {kGetPMItemText, 1, kItemTextWidth, "Item B", 0},
        {kGetPMItemAltFile, 0, kItemFileWidth, "a.dll", 2},
        {kGetPMItemAltFile, 1, kItemFileWidth, "B.DLL", (7 << 16) | 0xFFFF},
        {kGetPMItemAltFile, 2, kItemFileWidth, "C.EXE", -1},  // 65535 in both halves
    };
    for (const Row& r : rows) {
        int result;
        if (r.width > 0)
            EXPECT_EQ(Ask(r.op, r.key, r.width, &result), r.text) << "op " << r.op << " key " << r.key;
        else
            result = SetupLogQuery(r.op, r.key, nullptr);
        EXPECT_EQ(result, r.result) << "op " << r.op << " key " << r.key;
    }
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

// A new parse starts afresh: an empty log leaves nothing to find.
TEST(EmptyLog, NothingIsFound)
{
    Parse(Lines({"[Application]", "AppName=A", "SpaceNeeded=5", "[Files]", "A.DLL,1,,0,1,Y"}));
    Parse("");
    EXPECT_EQ(Ask(kGetAppName, 0, kAppNameWidth), "");
    EXPECT_EQ(SetupLogQuery(kGetSpaceNeeded, 0, nullptr), 0);
    for (unsigned long op : {kGetDiskCount, kGetDirCount, kGetFileCount, kGetPMItemCount})
        EXPECT_EQ(SetupLogQuery(op, 0, nullptr), 0) << op;
    char name[] = "A.DLL";
    EXPECT_EQ(SetupLogQuery(kFindFileDir, 0, name), -1);
    EXPECT_EQ(SetupLogQuery(kFindDir, 0, nullptr), -1);
    EXPECT_EQ(SetupLogQuery(kFindDisk, 0, nullptr), -1);
}

}  // namespace
