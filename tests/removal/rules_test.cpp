// The rules that decide what the removal deletes: destinations, the skip and
// flag tables, names that must never be acted on, the directory range and
// the display rule.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

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
        {"SYSTEM", 401, "C:\\PKG", "C:\\WINDOWS\\SYSTEM\\F.DLL"},
        {"System", 403, "C:\\PKG", "C:\\WINDOWS\\F.DLL"},
        {"DATA", 401, "C:\\PKG", "C:\\PKG\\DATA\\F.DLL"},
        {"DATA", 401, "D:\\", "D:\\\\DATA\\F.DLL"},
        {".", 401, "C:\\PKG", "C:\\PKG\\.\\F.DLL"},
        {"SYSTEM32", 401, "C:\\PKG", "C:\\PKG\\SYSTEM32\\F.DLL"},
        {"DATA", 401, "", nullptr},  // no install directory: no guessed place
        {"..\\..", 401, "C:\\PKG", nullptr},
        {"C:\\WINDOWS", 401, "C:\\PKG", nullptr},
        {"", 401, "C:\\PKG", nullptr},  // what an unknown directory id yields
    };
    for (const Row& r : rows) {
        SetDirs("C:\\WINDOWS", "C:\\WINDOWS\\SYSTEM", r.kind, r.installDir);
        char path[kRemovalPathSize];
        std::memset(path, 'x', sizeof path);
        FileAction action = DecideFile("F.DLL", r.dirName, true, path, sizeof path);
        EXPECT_EQ(action, r.expected ? FileAction::Delete : FileAction::Skip) << r.dirName;
        EXPECT_STREQ(path, r.expected ? r.expected : "") << r.dirName;
    }
    char path[kRemovalPathSize];
    EXPECT_EQ(DecideFile("F.DLL", "DATA", false, path, sizeof path), FileAction::Skip);
}

TEST(Destination, APathThatDoesNotFitIsSkippedNotCut)
{
    // 62 + "\DAT\" + 12 = 79 characters fit the 80-byte buffer; 80 do not.
    std::string install = "C:\\" + std::string(59, 'P');
    SetDirs("C:\\WINDOWS", "C:\\WINDOWS\\SYSTEM", 401, install.c_str());
    char path[kRemovalPathSize];
    EXPECT_EQ(DecideFile("ABCDEFGH.TXT", "DAT", true, path, sizeof path), FileAction::Delete);
    EXPECT_EQ(DecideFile("ABCDEFGHI.TXT", "DAT", true, path, sizeof path), FileAction::Skip);
    EXPECT_STREQ(path, "");
    EXPECT_TRUE(BuildInstallSubdir(path, sizeof path, std::string(14, 'S').c_str()));
    EXPECT_FALSE(BuildInstallSubdir(path, sizeof path, std::string(17, 'S').c_str()));

    std::string windows = "C:\\" + std::string(90, 'W');
    SetDirs(windows.c_str(), "C:\\S", 401, "D:\\PKG\\");
    EXPECT_EQ(DecideFile("F.DLL", "WINDOWS", true, path, sizeof path), FileAction::Skip);
    ASSERT_TRUE(BuildInstallSubdir(path, sizeof path, "DATA"));
    EXPECT_STREQ(path, "D:\\PKG\\DATA");  // one backslash, as the join rule says
    // An unknown system directory must not become the current drive's root.
    SetDirs("C:\\WINDOWS", "", 401, "C:\\PKG");
    EXPECT_FALSE(BuildAfterWalkPath(1, path, sizeof path));
}

TEST(SkipAndFlagTables, PrefixesCountOnlyWhole)
{
    const char* skipped[] = {"hppcl5ms.drv", "UNIDRV.DLL", "Finstall.hlp", "PSCRIPT.DRV",
                             "qordelet.exe"};
    for (const char* name : skipped)
        EXPECT_TRUE(IsSkippedFile(name)) << name;
    const char* deleted[] = {"HPPC.DRV", "UNIDR.DLL", "FINSTAL", "QORDELET.EX_",
                             "QORDELET.EXE.OLD", "XHPPCL.DRV"};
    for (const char* name : deleted)
        EXPECT_FALSE(IsSkippedFile(name)) << name;

    const struct {
        const char* name;
        int* flag;
    } flags[] = {
        {"q44pcl.drv", &g_pclFlag},         {"Q44PCL.DRV.OLD", nullptr},
        {"QOR4400.DRV", &g_postScriptFlag}, {"QOR4400.DRVX", nullptr},
        {"VORNWPSD.EXE", &g_monitorFlag},   {"VORNWPSD.EXE.BAK", &g_monitorFlag},
        {"VORNWPSD.EX", nullptr},
    };
    for (const auto& r : flags)
        EXPECT_EQ(CompletionFlagFor(r.name), r.flag) << r.name;
}

TEST(UnsafeNames, NamesThatCouldReachAnotherPlace)
{
    const char* unsafeFiles[] = {"", ".", "..", "...", "..\\WIN.INI", "SUB/F.TXT", "C:F.TXT",
                                 "F.TXT:stream", "*.*"};
    for (const char* name : unsafeFiles)
        EXPECT_FALSE(IsSafeFileName(name)) << name;
    EXPECT_TRUE(IsSafeFileName("A..B"));

    const char* unsafeDirs[] = {"",      "..",      "..\\..", "../..",        "A\\..\\..\\B",
                                "\\",    "/etc",    "C:",     "D:DATA",       "\\\\server\\x",
                                "...",   "DATA*"};
    for (const char* name : unsafeDirs)
        EXPECT_FALSE(IsSafeDirName(name)) << name;
    const char* safeDirs[] = {".", "SUB\\DEEP", "SUB/DEEP", "..A", "A..", ".\\DATA"};
    for (const char* name : safeDirs)
        EXPECT_TRUE(IsSafeDirName(name)) << name;
}

TEST(DirectoryRange, RangeAndDisplay)
{
    // The bound is also the gauge's range: 0, -1 and -2 are sent unchanged.
    const int expected[] = {-2, -1, 0, 1, 2, 3, 4, 5, 6};
    for (int count = 0; count <= 8; ++count)
        EXPECT_EQ(DirectoryRangeEnd(count), expected[count]) << count;
    EXPECT_FALSE(ShowsDirectoryPath("C:\\PKG\\TTFONTS"));
    EXPECT_FALSE(ShowsDirectoryPath("C:\\TTFONTS\\DATA"));
    EXPECT_TRUE(ShowsDirectoryPath("C:\\PKG\\ttfonts"));
}
