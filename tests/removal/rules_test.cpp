// The rules that decide what the removal deletes (destinations, the skip and
// flag tables, unsafe names, the directory range and the display rule), the
// deferred-deletion batch's lines and the line search that finds an earlier block.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "engine/removal_batch.h"
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

const std::string kHead =  // lines 1 to 5 for C:\PKG
    "@echo off\r\n"
    "if exist C:\\PKG\\QORDELET.EXE del C:\\PKG\\QORDELET.EXE\r\n"
    "if exist gauge32.dll del gauge32.dll\r\n"
    "if exist qvwpd.exe del qvwpd.exe\r\n"
    "if not exist C:\\PKG\\*.* rmdir C:\\PKG\r\n";

struct Memory {
    std::string data;
    std::size_t at;
    long failAt;  // a read error at this offset
};

int ReadMemory(void* context)
{
    Memory* m = static_cast<Memory*>(context);
    if (m->failAt >= 0 && m->at == static_cast<std::size_t>(m->failAt))
        return kReadError;
    return m->at < m->data.size() ? static_cast<unsigned char>(m->data[m->at++]) : kEndOfInput;
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

TEST(BatchText, CasesABAndCWithAndWithoutTrailingBackslashes)
{
    const struct {
        const char* windowsDir;
        const char* installDir;
        int oldChoice;  // -1: cases A and B, the block deletes the batch
        std::string expected;
    } rows[] = {
        {"C:\\WINDOWS", "C:\\PKG", -1, kHead + "del C:\\WINDOWS\\winstart.bat"},
        {"C:\\", "C:\\PKG\\", -1, kHead + "del C:\\winstart.bat"},
        {"C:\\WINDOWS", "C:\\PKG\\", 0,
         kHead + "call C:\\WINDOWS\\oldstart.bat\r\n"
                 "move /y C:\\WINDOWS\\oldstart.bat C:\\WINDOWS\\winstart.bat"},
        {"C:\\", "C:\\PKG", 0,
         kHead + "call C:\\oldstart.bat\r\nmove /y C:\\oldstart.bat C:\\winstart.bat"},
        {"C:\\WINDOWS", "C:\\PKG", 3,  // oldstart.bat taken
         kHead + "call C:\\WINDOWS\\oldstar3.bat\r\n"
                 "move /y C:\\WINDOWS\\oldstar3.bat C:\\WINDOWS\\winstart.bat"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(std::string(r.windowsDir) + " " + r.installDir + " " +
                     std::to_string(r.oldChoice));
        BatchPaths paths;
        ASSERT_TRUE(BuildBatchPaths(&paths, r.windowsDir, r.installDir));
        char old[kBatchTextSize];
        ASSERT_TRUE(r.oldChoice < 0 ||
                    BuildOldBatchPath(old, sizeof old, r.windowsDir, r.oldChoice));
        BatchBlock block;
        ASSERT_TRUE(BuildBatchBlock(&block, paths, r.oldChoice < 0 ? nullptr : old));
        EXPECT_EQ(block.count, r.oldChoice < 0 ? 6 : 7);
        std::string text;
        for (int i = 0; i < block.count; ++i)
            text += block.lines[i];
        EXPECT_EQ(text, r.expected);
    }
    char out[kBatchTextSize];
    EXPECT_FALSE(BuildOldBatchPath(out, sizeof out, "C:\\WINDOWS", kOldBatchChoices));
}

TEST(BatchText, UnsafeOrOverlongPathsWriteNothing)
{
    BatchPaths paths;
    const std::string hugeWindows = "C:\\" + std::string(200, 'W');
    const char* unsafe[][2] = {
        {"C:\\WINDOWS", "C:\\PROGRAM FILES\\QOR"}, {"C:\\WIN DOWS", "C:\\PKG"},
        {"C:\\WINDOWS", "C:\\%TEMP%"},             {"C:\\WINDOWS", "C:\\A&B"},
        {"C:\\WINDOWS", ""},                       {"C:\\WINDOWS", "\\"},
        {hugeWindows.c_str(), "C:\\PKG"},
    };
    for (const auto& row : unsafe)
        EXPECT_FALSE(BuildBatchPaths(&paths, row[0], row[1])) << row[0] << " " << row[1];

    // Line 2 is the longest: 16 characters besides the uninstaller path
    // twice must fit 143. A 50-character install directory gives 63 each.
    BatchBlock block;
    std::string fits = "C:\\" + std::string(47, 'P');
    ASSERT_TRUE(BuildBatchPaths(&paths, "C:\\WINDOWS", fits.c_str()));
    ASSERT_TRUE(BuildBatchBlock(&block, paths, nullptr));
    EXPECT_EQ(std::strlen(block.lines[1]), 16u + 2 * 63);
    ASSERT_TRUE(BuildBatchPaths(&paths, "C:\\WINDOWS", (fits + "P").c_str()));
    EXPECT_FALSE(BuildBatchBlock(&block, paths, nullptr));
    EXPECT_EQ(block.count, 0);
}

TEST(LineSearch, LineEndsLengthsAndReadErrors)
{
    const char* text = "del C:\\WINDOWS\\winstart.bat";
    const long n = static_cast<long>(std::strlen(text));
    const struct {
        const char* name;
        std::string data;
        long prefixEnd;  // -1: no line begins with the text
        long wholeEnd;   // -1: no line is the text
        long failAt;
    } rows[] = {
        {"CR LF, last line unterminated", std::string("@echo off\r\n") + text, 11 + n, 11 + n, -1},
        {"CR LF, terminated", std::string("rem\r\n") + text + "\r\nrem\r\n", 5 + n, 5 + n, -1},
        {"other letter case", "DEL C:\\windows\\WINSTART.BAT", n, n, -1},
        {"LF only: one long line", std::string("rem\n") + text + "\n", -1, -1, -1},
        {"LF only, text first", std::string(text) + "\nrem\n", n + 5, -1, -1},
        {"longer line", std::string(text) + ".old\r\n" + text, n + 4, n + 4 + 2 + n, -1},
        {"shorter line", "del C:\\WINDOWS\\winstart.ba", -1, -1, -1},
        {"empty file", "", -1, -1, -1},
        {"over-long line before", std::string(5000, 'x') + "\r\n" + text, 5002 + n, 5002 + n, -1},
        {"over-long matching line", std::string(text) + std::string(400, 'y'), n + 400, -1, -1},
        {"CR alone ends lines", std::string("rem\r") + text, 4 + n, 4 + n, -1},
        {"zero byte inside", std::string("del C:\\WIN\0OWS\\winstart.bat", 27), -1, -1, -1},
        {"read error before", std::string("rem\r\n") + text, -1, -1, 3},
        {"read error inside", std::string("rem\r\n") + text, -1, -1, 10},
    };
    for (const auto& r : rows) {
        Memory m{r.data, 0, r.failAt};
        long start = -2;
        EXPECT_EQ(FindLine(ReadMemory, &m, text, LineMatch::Prefix, &start), r.prefixEnd) << r.name;
        m.at = 0;
        long end = FindLine(ReadMemory, &m, text, LineMatch::Whole, &start);
        EXPECT_EQ(end, r.wholeEnd) << r.name;
        if (end >= 0) {
            EXPECT_EQ(start, end - n) << r.name;
        }
    }
    std::string huge(300, 'a');  // longer than a searched line: never found
    Memory m{huge, 0, -1};
    long start;
    EXPECT_EQ(FindLine(ReadMemory, &m, huge.c_str(), LineMatch::Prefix, &start), -1);
}
