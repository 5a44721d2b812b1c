// The rules that decide what the removal deletes: destinations, the skip and
// flag tables, names that must never be acted on, the directory range and
// the display rule.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "engine/removal_rules.h"
#include "shell/config.h"

namespace {

void SetDirs(const char* windowsDir, const char* systemDir, int kind, const char* installDir)
{
    g_config = ConfigRecord();
    std::strcpy(g_config.WindowsDir, windowsDir);
    std::strcpy(g_config.SystemDir, systemDir);
    g_config.SystemDirKind = kind;
    std::strcpy(g_config.InstallDir, installDir);
}

}  // namespace

TEST(Destination, FullPathOfEachKindOfDirectory)
{
    struct Row {
        const char* dirName;
        int kind;
        const char* installDir;
        const char* expected;  // null: skipped
    } rows[] = {
        {"WINDOWS", 401, "C:\\PKG", "C:\\WINDOWS\\F.DLL"},
        {"windows", 403, "C:\\PKG", "C:\\WINDOWS\\F.DLL"},
        {"SYSTEM", 401, "C:\\PKG", "C:\\WINDOWS\\SYSTEM\\F.DLL"},
        {"System", 403, "C:\\PKG", "C:\\WINDOWS\\F.DLL"},
        {"DATA", 401, "C:\\PKG", "C:\\PKG\\DATA\\F.DLL"},
        {"DATA", 401, "D:\\", "D:\\\\DATA\\F.DLL"},
        {".", 401, "C:\\PKG", "C:\\PKG\\.\\F.DLL"},
        {"SUB\\DEEP", 401, "C:\\PKG", "C:\\PKG\\SUB\\DEEP\\F.DLL"},
        {"SYSTEM32", 401, "C:\\PKG", "C:\\PKG\\SYSTEM32\\F.DLL"},
        // Nothing is looked for under an unknown install directory.
        {"DATA", 401, "", nullptr},
        {"..\\..", 401, "C:\\PKG", nullptr},
        {"C:\\WINDOWS", 401, "C:\\PKG", nullptr},
        {"", 401, "C:\\PKG", nullptr},
    };
    for (const Row& r : rows) {
        SetDirs("C:\\WINDOWS", "C:\\WINDOWS\\SYSTEM", r.kind, r.installDir);
        char path[kRemovalPathSize];
        std::memset(path, 'x', sizeof path);
        FileAction action = DecideFile("F.DLL", r.dirName, true, path, sizeof path);
        if (r.expected) {
            EXPECT_EQ(action, FileAction::Delete) << r.dirName << " in " << r.installDir;
            EXPECT_STREQ(path, r.expected) << r.dirName;
        } else {
            EXPECT_EQ(action, FileAction::Skip) << r.dirName << " in " << r.installDir;
            EXPECT_STREQ(path, "") << r.dirName;
        }
    }
}

TEST(Destination, AFileOfNoListedDirectoryIsNeverDeleted)
{
    SetDirs("C:\\WINDOWS", "C:\\WINDOWS\\SYSTEM", 401, "C:\\PKG");
    char path[kRemovalPathSize];
    EXPECT_EQ(DecideFile("F.DLL", "", false, path, sizeof path), FileAction::Skip);
    EXPECT_EQ(DecideFile("F.DLL", "DATA", false, path, sizeof path), FileAction::Skip);
}

TEST(Destination, APathThatDoesNotFitIsSkippedNotCut)
{
    // 79 characters fit the 80-byte buffer, 80 do not.
    std::string install = "C:\\" + std::string(59, 'P');  // 62 characters
    SetDirs("C:\\WINDOWS", "C:\\WINDOWS\\SYSTEM", 401, install.c_str());
    char path[kRemovalPathSize];
    EXPECT_EQ(DecideFile("ABCDEFGH.TXT", "DAT", true, path, sizeof path), FileAction::Delete);
    EXPECT_EQ(std::strlen(path), 79u);
    std::memset(path, 'x', sizeof path);
    EXPECT_EQ(DecideFile("ABCDEFGHI.TXT", "DAT", true, path, sizeof path), FileAction::Skip);
    EXPECT_STREQ(path, "");

    // A Windows directory longer than the buffer is refused as well.
    std::string windows = "C:\\" + std::string(90, 'W');
    SetDirs(windows.c_str(), "C:\\S", 401, "C:\\PKG");
    EXPECT_EQ(DecideFile("F.DLL", "WINDOWS", true, path, sizeof path), FileAction::Skip);
    EXPECT_EQ(DecideFile("F.DLL", "SYSTEM", true, path, sizeof path), FileAction::Delete);
}

TEST(SkipTable, WindowsDriverFilesAndTheUninstallerStay)
{
    SetDirs("C:\\WINDOWS", "C:\\WINDOWS\\SYSTEM", 401, "C:\\PKG");
    struct Row {
        const char* name;
        bool skipped;
    } rows[] = {
        {"hppcl5ms.drv", true}, {"HPPCL", true},       {"UNIDRV.DLL", true},
        {"unidrv.hlp", true},   {"Finstall.hlp", true}, {"FINSTALL", true},
        {"PSCRIPT.DRV", true},  {"QORDELET.EXE", true}, {"qordelet.exe", true},
        {"HPPC.DRV", false},    {"UNIDR.DLL", false},   {"FINSTAL", false},
        {"PSCRIP", false},      {"QORDELET.EX_", false}, {"QORDELET.EXE.OLD", false},
        {"XHPPCL.DRV", false},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(IsSkippedFile(r.name), r.skipped) << r.name;
        char path[kRemovalPathSize];
        EXPECT_EQ(DecideFile(r.name, "DATA", true, path, sizeof path),
                  r.skipped ? FileAction::Skip : FileAction::Delete)
            << r.name;
    }
}

TEST(FlagTable, FailedDeletionsClearTheMatchingFlag)
{
    struct Row {
        const char* name;
        int* flag;
    } rows[] = {
        {"Q44PCL.DRV", &g_pclFlag},
        {"q44pcl.drv", &g_pclFlag},
        {"Q44PCL.DRV.OLD", nullptr},
        {"Q44PCL.DR", nullptr},
        {"QOR4400.DRV", &g_postScriptFlag},
        {"QOR4400.DRVX", nullptr},
        {"VORNWPSD.EXE", &g_monitorFlag},
        {"VORNWPSD.EXE.BAK", &g_monitorFlag},
        {"vornwpsd.exex", &g_monitorFlag},
        {"VORNWPSD.EX", nullptr},
        {"", nullptr},
    };
    for (const Row& r : rows)
        EXPECT_EQ(CompletionFlagFor(r.name), r.flag) << r.name;
}

TEST(UnsafeNames, FileNamesThatCouldReachAnotherFile)
{
    const char* unsafe[] = {"", ".", "..", "...", "..\\WIN.INI", "SUB\\F.TXT", "SUB/F.TXT",
                            "C:F.TXT", "\\F.TXT", "F.TXT:stream", "*.*", "F?.TXT"};
    for (const char* name : unsafe)
        EXPECT_FALSE(IsSafeFileName(name)) << name;
    const char* safe[] = {"F.TXT", ".HIDDEN", "A..B", "NAME.", "QORDELET.EXE"};
    for (const char* name : safe)
        EXPECT_TRUE(IsSafeFileName(name)) << name;
}

TEST(UnsafeNames, DirectoryNamesOutsideTheInstallDirectory)
{
    const char* unsafe[] = {"",          "..",           "..\\..",   "../..",    "DATA\\..",
                            "A\\..\\..\\B", "A/../B",       "\\",       "\\WINDOWS", "/etc",
                            "\\\\server\\share", "C:\\WINDOWS", "C:",       "D:DATA",   "...",
                            "A\\...\\B", "DATA*",        "DAT?"};
    for (const char* name : unsafe)
        EXPECT_FALSE(IsSafeDirName(name)) << name;
    const char* safe[] = {".", "DATA", "SUB\\DEEP", "SUB/DEEP", "A.B", "..A", "A..", ".\\DATA",
                          "DATA\\"};
    for (const char* name : safe)
        EXPECT_TRUE(IsSafeDirName(name)) << name;
}

TEST(InstallSubdir, JoinsOnceAndRefusesWhatDoesNotFit)
{
    char out[kRemovalPathSize];
    SetDirs("C:\\WINDOWS", "C:\\WINDOWS\\SYSTEM", 401, "C:\\PKG");
    ASSERT_TRUE(BuildInstallSubdir(out, sizeof out, "DATA"));
    EXPECT_STREQ(out, "C:\\PKG\\DATA");
    SetDirs("C:\\WINDOWS", "C:\\WINDOWS\\SYSTEM", 401, "D:\\PKG\\");
    ASSERT_TRUE(BuildInstallSubdir(out, sizeof out, "DATA"));
    EXPECT_STREQ(out, "D:\\PKG\\DATA");
    EXPECT_FALSE(BuildInstallSubdir(out, sizeof out, "..\\.."));
    EXPECT_STREQ(out, "");
    std::string install = "C:\\" + std::string(62, 'P');
    SetDirs("C:\\WINDOWS", "C:\\WINDOWS\\SYSTEM", 401, install.c_str());
    EXPECT_TRUE(BuildInstallSubdir(out, sizeof out, "ABCDEFGHIJKLM"));  // 79
    EXPECT_FALSE(BuildInstallSubdir(out, sizeof out, "ABCDEFGHIJKLMN"));
    EXPECT_STREQ(out, "");
}

TEST(AfterWalk, FixedNamesInTheirDirectoriesInOrder)
{
    SetDirs("C:\\WINDOWS", "C:\\WINDOWS\\SYSTEM", 403, "D:\\");
    const char* expected[kAfterWalkFiles] = {
        "D:\\spooler.que", "C:\\WINDOWS\\SYSTEM\\VORNPRNT.DLL",
        "C:\\WINDOWS\\SYSTEM\\VORNGDI.DRV", "C:\\WINDOWS\\VORNPRNT.DLL", "D:\\VORNPRNT.DLL"};
    for (int row = 0; row < kAfterWalkFiles; ++row) {
        char out[kRemovalPathSize];
        ASSERT_TRUE(BuildAfterWalkPath(row, out, sizeof out)) << row;
        EXPECT_STREQ(out, expected[row]) << row;
    }
    char out[kRemovalPathSize];
    EXPECT_FALSE(BuildAfterWalkPath(kAfterWalkFiles, out, sizeof out));
    // An unknown system directory must not turn into the current drive's root.
    SetDirs("C:\\WINDOWS", "", 401, "C:\\PKG");
    EXPECT_FALSE(BuildAfterWalkPath(1, out, sizeof out));
    EXPECT_STREQ(out, "");
}

TEST(DirectoryRange, EntriesRemovedForZeroToEightEntries)
{
    const std::vector<int> expected[] = {{}, {}, {}, {}, {1}, {1, 2}, {1, 2, 3},
                                         {1, 2, 3, 4}, {1, 2, 3, 4, 5}};
    for (int count = 0; count <= 8; ++count) {
        int end = DirectoryRangeEnd(count);
        EXPECT_EQ(end, count - 2) << count;  // also the gauge's range: 0, -1, -2 stay
        std::vector<int> removed;
        for (int i = 1; i < end; ++i)
            removed.push_back(i);
        EXPECT_EQ(removed, expected[count]) << count;
    }
}

TEST(DisplayRule, OnlyTheUpperCaseFontDirectoryIsHidden)
{
    EXPECT_FALSE(ShowsDirectoryPath("C:\\PKG\\TTFONTS"));
    EXPECT_FALSE(ShowsDirectoryPath("C:\\TTFONTS\\DATA"));
    EXPECT_FALSE(ShowsDirectoryPath("C:\\PKG\\MYTTFONTSX"));
    EXPECT_TRUE(ShowsDirectoryPath("C:\\PKG\\ttfonts"));
    EXPECT_TRUE(ShowsDirectoryPath("C:\\PKG\\TTFont"));
}
