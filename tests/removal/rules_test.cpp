// The rules that decide what the removal deletes: destinations, the skip and
// flag tables, unsafe names, the directory range and the display rule.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "engine/removal_rules.h"
#include "shell/config.h"

namespace {

void SetDirs(const char* windowsDir, int kind, const char* installDir)
{
    g_config = ConfigRecord();
    std::strcpy(g_config.WindowsDir, windowsDir);
    std::strcpy(g_config.SystemDir, "C:\\WINDOWS\\SYSTEM");
    g_config.SystemDirKind = kind;
    std::strcpy(g_config.InstallDir, installDir);
}

}  // namespace

TEST(Destination, FullPathOfEachKindOfDirectory)
{
    const struct {
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
        {"", 401, "C:\\PKG", nullptr},  // what an unknown directory id yields
    };
    char path[kRemovalPathSize];
    for (const auto& r : rows) {
        SetDirs("C:\\WINDOWS", r.kind, r.installDir);
        std::memset(path, 'x', sizeof path);
        EXPECT_EQ(DecideFile("F.DLL", r.dirName, true, path, sizeof path),
                  r.expected ? FileAction::Delete : FileAction::Skip) << r.dirName;
        EXPECT_STREQ(path, r.expected ? r.expected : "") << r.dirName;
    }
    EXPECT_EQ(DecideFile("F.DLL", "DATA", false, path, sizeof path), FileAction::Skip);

    // A path that does not fit is skipped, never cut: 62 + "\DAT\" + 12 = 79
    // characters fit the 80-byte buffer, 80 do not.
    SetDirs("C:\\WINDOWS", 401, ("C:\\" + std::string(59, 'P')).c_str());
    EXPECT_EQ(DecideFile("ABCDEFGH.TXT", "DAT", true, path, sizeof path), FileAction::Delete);
    EXPECT_EQ(DecideFile("ABCDEFGHI.TXT", "DAT", true, path, sizeof path), FileAction::Skip);
    EXPECT_STREQ(path, "");
    EXPECT_TRUE(BuildInstallSubdir(path, sizeof path, std::string(14, 'S').c_str()));
    EXPECT_FALSE(BuildInstallSubdir(path, sizeof path, std::string(17, 'S').c_str()));
    SetDirs(("C:\\" + std::string(90, 'W')).c_str(), 401, "D:\\PKG");
    EXPECT_EQ(DecideFile("F.DLL", "WINDOWS", true, path, sizeof path), FileAction::Skip);
    // An unknown system directory must not become the current drive's root.
    SetDirs("C:\\WINDOWS", 401, "C:\\PKG");
    g_config.SystemDir[0] = '\0';
    EXPECT_FALSE(BuildAfterWalkPath(1, path, sizeof path));
}

TEST(SkipAndFlagTables, PrefixesCountOnlyWhole)
{
    for (const char* name : {"hppcl5ms.drv", "UNIDRV.DLL", "Finstall.hlp", "PSCRIPT.DRV",
                             "qordelet.exe"})
        EXPECT_TRUE(IsSkippedFile(name)) << name;
    for (const char* name : {"HPPC.DRV", "UNIDR.DLL", "FINSTAL", "QORDELET.EX_",
                             "QORDELET.EXE.OLD", "XHPPCL.DRV"})
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
    for (const char* name : {"", ".", "..", "...", "..\\WIN.INI", "SUB/F.TXT", "C:F.TXT",
                             "F.TXT:stream", "*.*"})
        EXPECT_FALSE(IsSafeFileName(name)) << name;
    EXPECT_TRUE(IsSafeFileName("A..B"));
    for (const char* name : {"", "..", "..\\..", "../..", "A\\..\\..\\B", "\\", "/etc", "C:",
                             "D:DATA", "\\\\server\\x", "...", "DATA*"})
        EXPECT_FALSE(IsSafeDirName(name)) << name;
    for (const char* name : {".", "SUB\\DEEP", "SUB/DEEP", "..A", "A..", ".\\DATA"})
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
