// The engine's rules: where an installed file lives, which entries are left
// alone or cannot be reached, which directories may be emptied or removed,
// the flag and skip tables, the batch's lines, the line search that finds an
// earlier block, what NT deletes at the restart, and the sequence's rules.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "engine/removal_batch.h"
#include "engine/removal_rules.h"
#include "engine/restart.h"
#include "engine/sequence.h"
#include "shell/config.h"

namespace {

void SetDirs(const char* windowsDir, int kind, const char* installDir,
             const char* systemDir = "C:\\WINDOWS\\SYSTEM")
{
    g_config = ConfigRecord();
    std::strcpy(g_config.WindowsDir, windowsDir);
    std::strcpy(g_config.SystemDir, systemDir);
    g_config.SystemDirKind = kind;
    std::strcpy(g_config.InstallDir, installDir);
}

TEST(Destination, FullPathOfEachKindOfDirectory)
{
    constexpr FileAction Del = FileAction::Delete, Out = FileAction::Unreachable,
                         Leave = FileAction::Leave;
    const struct {
        const char *fileName, *dirName;
        int kind;
        const char* installDir;
        FileAction action;
        const char* path;
    } rows[] = {
        {"F.DLL", "WINDOWS", 401, "C:\\PKG", Del, "C:\\WINDOWS\\F.DLL"},
        {"F.DLL", "SYSTEM", 401, "C:\\PKG", Del, "C:\\WINDOWS\\SYSTEM\\F.DLL"},
        {"F.DLL", "System", 403, "C:\\PKG", Del, "C:\\WINDOWS\\F.DLL"},
        {"F.DLL", "DATA", 401, "C:\\PKG", Del, "C:\\PKG\\DATA\\F.DLL"},
        {"F.DLL", "DATA", 401, "D:\\", Del, "D:\\\\DATA\\F.DLL"},
        {"F.DLL", ".", 401, "C:\\PKG", Del, "C:\\PKG\\.\\F.DLL"},
        {"F.DLL", "DATA", 401, "", Out, ""},  // no install directory: no guessed place
        {"F.DLL", "..\\..", 401, "C:\\PKG", Out, ""}, {"F.DLL", "", 401, "C:\\PKG", Out, ""},
        {"..\\F.DLL", "DATA", 401, "C:\\PKG", Out, ""},
        {"QORDELET.EXE", "DATA", 401, "C:\\PKG", Leave, ""}, {"PSCRIPT.DRV", "", 401, "C:\\PKG", Leave, ""},
    };
    char path[kRemovalPathSize];
    for (const auto& r : rows) {
        SetDirs("C:\\WINDOWS", r.kind, r.installDir);
        std::memset(path, 'x', sizeof path);
        EXPECT_EQ(DecideFile(r.fileName, r.dirName, true, path, sizeof path), r.action) << r.fileName << " in " << r.dirName;
        EXPECT_STREQ(path, r.path) << r.dirName;
    }
    EXPECT_EQ(DecideFile("F.DLL", "DATA", false, path, sizeof path), Out);
    // A path that does not fit is not deleted, never cut.
    SetDirs("C:\\WINDOWS", 401, ("C:\\" + std::string(kMaxPath - 20, 'P')).c_str());
    EXPECT_EQ(DecideFile("ABCDEFG.TXT", "DAT", true, path, sizeof path), Del);
    EXPECT_EQ(DecideFile("ABCDEFGH.TXT", "DAT", true, path, sizeof path), Out);
    EXPECT_STREQ(path, "");
}

TEST(Names, SkipAndFlagTablesAndUnsafeNames)
{
    for (const char* name : {"hppcl5ms.drv", "UNIDRV.DLL", "Finstall.hlp", "PSCRIPT.DRV", "qordelet.exe"})
        EXPECT_TRUE(IsSkippedFile(name)) << name;
    for (const char* name : {"HPPC.DRV", "UNIDR.DLL", "FINSTAL", "PSCRIP", "QORDELET.EX_", "QORDELET.EXE.OLD"})
        EXPECT_FALSE(IsSkippedFile(name)) << name;
    const struct {
        const char* name;
        int* flag;
    } flags[] = {
        {"q44pcl.drv", &g_pclFlag},       {"Q44PCL.DRV.OLD", nullptr}, {"QOR4400.DRV", &g_postScriptFlag},
        {"QOR4400.DRVX", nullptr},        {"VORNWPSD.EXE", &g_monitorFlag},
        {"VORNWPSD.EXE.BAK", &g_monitorFlag}, {"VORNWPSD.EX", nullptr},
    };
    for (const auto& r : flags)
        EXPECT_EQ(CompletionFlagFor(r.name), r.flag) << r.name;
    for (const char* name : {"", ".", "..", "...", "..\\WIN.INI", "SUB/F.TXT", "C:F.TXT", "F:s", "*.*"})
        EXPECT_FALSE(IsSafeFileName(name)) << name;
    EXPECT_TRUE(IsSafeFileName("A..B"));
    for (const char* name : {"", "..", "../..", "A\\..\\..\\B", "\\", "/etc", "D:DATA", "\\\\srv\\x", "...", "D*"})
        EXPECT_FALSE(IsSafeDirName(name)) << name;
    for (const char* name : {".", "SUB\\DEEP", "SUB/DEEP", "..A", "A..", ".\\DATA"})
        EXPECT_TRUE(IsSafeDirName(name)) << name;
}

TEST(Paths, CanonicalFormAndWhereAPathLies)
{
    const char* canonical[][2] = {
        {"c:\\Windows\\", "C:\\WINDOWS"}, {"C:/A//B/./C", "C:\\A\\B\\C"}, {"C:\\", "C:"},
        {"C:\\A\\..\\..\\B", "C:\\B"}, {"C:\\DATA. \\X", "C:\\DATA\\X"}, {"C:\\A\\...\\B", "C:\\A\\B"},
        {"\\\\srv\\share\\..\\x", "\\\\SRV\\SHARE\\X"}, {"", ""},
    };
    for (const auto& row : canonical) {
        char out[kMaxPath];
        ASSERT_TRUE(CanonicalPath(row[0], out, sizeof out)) << row[0];
        EXPECT_STREQ(out, row[1]) << row[0];
    }
    char tiny[6];
    EXPECT_FALSE(CanonicalPath("C:\\ABC", tiny, sizeof tiny));
    EXPECT_TRUE(CanonicalPath("C:\\AB", tiny, sizeof tiny));
    EXPECT_TRUE(PathWithin("c:\\pkg\\data", "C:\\PKG\\", true));
    EXPECT_TRUE(PathWithin("C:\\PKG\\.", "C:\\PKG", false));
    EXPECT_FALSE(PathWithin("C:\\PKG\\.", "C:\\PKG", true));
    EXPECT_FALSE(PathWithin("C:\\PKGX\\DATA", "C:\\PKG", false));
    EXPECT_TRUE(PathWithin("C:\\WINDOWS", "C:\\", true));
    EXPECT_FALSE(PathWithin("C:\\X", "", false));
}

// The folders the removal empties or removes on the strength of a directory
// entry, and the install directories it treats as the package's own.
TEST(Paths, OnlyThePackagesOwnFolders)
{
    const struct {
        const char* installDir;
        bool packageDir;
        const char* entry1;
        int dirCount;
        const char* emptied;  // "": nothing
    } rows[] = {
        {"C:\\QOR4400", true, "SPOOL", 8, "C:\\QOR4400\\SPOOL"},
        {"C:\\QOR4400\\", true, "SPOOL", 4, "C:\\QOR4400\\SPOOL"},
        {"C:\\QOR4400", true, "SPOOL", 3, ""},     // entry 1 is the Windows entry then
        {"C:\\", false, "WINDOWS", 3, ""},         // a package without folders, in a root
        {"C:\\", false, "windows", 8, ""},         {"C:\\", false, "WINDOWS.", 8, ""},
        {"C:\\", false, "Windows\\System", 8, ""}, {"C:\\", false, "QOR", 8, "C:\\QOR"},
        {"C:\\WINDOWS", false, "SYSTEM", 8, ""},   {"C:\\WINDOWS", false, "SPOOL", 8, ""},
        {"C:\\WINDOWS\\QOR", true, "SPOOL", 8, "C:\\WINDOWS\\QOR\\SPOOL"},
        {"C:\\QOR4400", true, ".", 8, ""},         {"C:\\QOR4400", true, ".\\.", 8, ""},
        {"C:\\QOR4400", true, "", 8, ""},          {"C:\\QOR4400\\..\\WINDOWS", false, "SPOOL", 8, ""},
        {"C:\\QOR4400", true, "Windows", 8, ""},   {"C:\\QOR4400", true, "system", 8, ""},
        {"C:\\QOR4400", true, "..\\QOR4400\\SPOOL", 8, ""},
        {"D:\\", false, "SPOOL", 8, "D:\\SPOOL"},
    };
    for (const auto& r : rows) {
        SetDirs("C:\\WINDOWS", 401, r.installDir);
        EXPECT_EQ(IsPackageInstallDir(), r.packageDir) << r.installDir;
        char out[kEmptyingPathSize];
        std::memset(out, 'x', sizeof out);
        EXPECT_EQ(BuildEmptiedSubdir(out, sizeof out, r.dirCount, r.entry1), r.emptied[0] != '\0')
            << r.installDir << " " << r.entry1;
        EXPECT_STREQ(out, r.emptied) << r.installDir << " " << r.entry1;
        // The after-walk files of the install directory go only from a folder
        // of the package's own; those of the system's directories always.
        EXPECT_EQ(BuildAfterWalkPath(0, out, sizeof out), r.packageDir) << r.installDir;
        EXPECT_TRUE(BuildAfterWalkPath(1, out, sizeof out)) << r.installDir;
    }
    SetDirs("C:\\WINNT", 403, "C:\\WINNT\\SYSTEM32\\QOR", "C:\\WINNT\\SYSTEM32");
    EXPECT_TRUE(IsPackageInstallDir());
    EXPECT_TRUE(IsPackageSubdirectory("C:\\WINNT\\SYSTEM32\\QOR\\SPOOL"));
    EXPECT_FALSE(IsPackageSubdirectory("C:\\WINNT\\SYSTEM32"));
    SetDirs("C:\\QOR\\WIN", 401, "C:\\", "C:\\QOR\\WIN\\SYSTEM");
    EXPECT_FALSE(IsPackageSubdirectory("C:\\QOR"));  // it holds the Windows directory
    SetDirs("C:\\WINDOWS", 401, "C:\\PKG");
    g_config.SystemDir[0] = '\0';  // unknown: nothing of it may be guessed
    char out[kMaxPath];
    EXPECT_FALSE(BuildAfterWalkPath(1, out, sizeof out));
    EXPECT_FALSE(IsPackageInstallDir());
    // Every after-walk row, in order.
    SetDirs("C:\\WIN", 401, "C:\\PKG", "C:\\WIN\\SYS");
    const char* afterWalk[] = {"C:\\PKG\\spooler.que", "C:\\WIN\\SYS\\VORNPRNT.DLL", "C:\\WIN\\SYS\\VORNGDI.DRV",
                               "C:\\WIN\\VORNPRNT.DLL", "C:\\PKG\\VORNPRNT.DLL"};
    for (int row = 0; row < kAfterWalkFiles; ++row) {
        ASSERT_TRUE(BuildAfterWalkPath(row, out, sizeof out)) << row;
        EXPECT_STREQ(out, afterWalk[row]);
    }
    EXPECT_FALSE(BuildAfterWalkPath(kAfterWalkFiles, out, sizeof out));
}

TEST(DirectoryRange, RangeAndDisplay)
{
    // The bound is also the gauge's range: 0, -1 and -2 are sent unchanged.
    for (int count = 0; count <= 8; ++count)
        EXPECT_EQ(DirectoryRangeEnd(count), count - 2) << count;
    EXPECT_FALSE(ShowsDirectoryPath("C:\\PKG\\TTFONTS"));
    EXPECT_TRUE(ShowsDirectoryPath("C:\\PKG\\ttfonts"));
}

const std::string kHead =  // lines 1 to 5 for C:\PKG
    "@echo off\r\nif exist C:\\PKG\\QORDELET.EXE del C:\\PKG\\QORDELET.EXE\r\n"
    "if exist gauge32.dll del gauge32.dll\r\nif exist qvwpd.exe del qvwpd.exe\r\n"
    "if not exist C:\\PKG\\*.* rmdir C:\\PKG\r\n";

TEST(BatchText, CasesABAndCWithAndWithoutTrailingBackslashes)
{
    const struct {
        const char *windowsDir, *installDir;
        int oldChoice;  // -1: cases A and B, the block deletes the batch
        std::string expected;
    } rows[] = {
        {"C:\\WINDOWS", "C:\\PKG", -1, kHead + "del C:\\WINDOWS\\winstart.bat"},
        {"C:\\", "C:\\PKG\\", -1, kHead + "del C:\\winstart.bat"},
        {"C:\\WINDOWS", "C:\\PKG\\", 0,
         kHead + "call C:\\WINDOWS\\oldstart.bat\r\nmove /y C:\\WINDOWS\\oldstart.bat C:\\WINDOWS\\winstart.bat"},
        {"C:\\", "C:\\PKG", 3, kHead + "call C:\\oldstar3.bat\r\nmove /y C:\\oldstar3.bat C:\\winstart.bat"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(std::string(r.windowsDir) + " " + r.installDir);
        BatchPaths paths;
        ASSERT_TRUE(BuildBatchPaths(&paths, r.windowsDir, r.installDir));
        char old[kBatchTextSize];
        ASSERT_TRUE(r.oldChoice < 0 || BuildOldBatchPath(old, sizeof old, r.windowsDir, r.oldChoice));
        BatchBlock block;
        ASSERT_TRUE(BuildBatchBlock(&block, paths, r.oldChoice < 0 ? nullptr : old));
        std::string text;
        for (int i = 0; i < block.count; ++i)
            text += block.lines[i];
        EXPECT_EQ(text, r.expected);
    }
    char out[kBatchTextSize];
    EXPECT_FALSE(BuildOldBatchPath(out, sizeof out, "C:\\WINDOWS", kOldBatchChoices));
    // Paths the command interpreter would split, and lines that do not fit,
    // write nothing. Line 2 is the longest: 16 characters besides the
    // uninstaller path twice must fit 143.
    BatchPaths paths;
    for (const char* unsafe : {"C:\\PROGRAM FILES\\QOR", "C:\\%TEMP%", "C:\\A&B", "", "\\"})
        EXPECT_FALSE(BuildBatchPaths(&paths, "C:\\WINDOWS", unsafe)) << unsafe;
    EXPECT_FALSE(BuildBatchPaths(&paths, "C:\\WIN DOWS", "C:\\PKG"));
    BatchBlock block;
    std::string fits = "C:\\" + std::string(47, 'P');
    ASSERT_TRUE(BuildBatchPaths(&paths, "C:\\WINDOWS", fits.c_str()));
    ASSERT_TRUE(BuildBatchBlock(&block, paths, nullptr));
    EXPECT_EQ(std::strlen(block.lines[1]), 16u + 2 * 63);
    ASSERT_TRUE(BuildBatchPaths(&paths, "C:\\WINDOWS", (fits + "P").c_str()));
    EXPECT_FALSE(BuildBatchBlock(&block, paths, nullptr));
    EXPECT_EQ(block.count, 0);
}

TEST(BatchText, TheWrapLinesOfAnEarlierRun)
{
    BatchPaths paths;
    ASSERT_TRUE(BuildBatchPaths(&paths, "C:\\W", "C:\\PKG"));
    const std::string wrap = "call C:\\W\\oldstart.bat\r\nmove /y C:\\W\\oldstart.bat C:\\W\\winstart.bat";
    const struct {
        std::string data;
        bool wholeFile, found;
    } rows[] = {
        {kHead + wrap, true, true}, {"x\n" + wrap, false, true}, {wrap, true, true}, {wrap, false, false},
        {"x" + wrap, true, false}, {kHead + wrap + "\r\n", true, false}, {"CALL c:\\w\\OLDSTART.bat\r\n"
        "MOVE /Y c:\\w\\oldstart.bat C:\\W\\WINSTART.BAT", true, true}, {wrap.substr(1), true, false},
    };
    for (const auto& r : rows) {
        std::size_t tail = 0;
        EXPECT_EQ(EndsWithWrapLines(r.data.data(), r.data.size(), r.wholeFile, paths, "C:\\W\\oldstart.bat",
                                    &tail), r.found) << r.data;
        EXPECT_EQ(tail, r.found ? wrap.size() : 0u) << r.data;
    }
}

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

TEST(LineSearch, LineEndsLengthsAndReadErrors)
{
    const std::string t = "del C:\\WINDOWS\\winstart.bat";
    const long n = static_cast<long>(t.size());
    const struct {
        const char* name;
        std::string data;
        long prefixEnd, wholeEnd, lastEnd;  // -1: no such line
        long failAt;
    } rows[] = {
        {"last line unterminated", "@echo off\r\n" + t, 11 + n, 11 + n, 11 + n, -1},
        {"lines after it", "rem\r\n" + t + "\r\nrem\r\n", 5 + n, 5 + n, -1, -1},
        {"only line ends after it", "rem\r\n" + t + "\r\n\r\n", 5 + n, 5 + n, 5 + n, -1},
        {"twice, last at the end", t + "\r\nx\r\n" + t, n, n, 2 * n + 5, -1},
        {"other letter case", "DEL C:\\windows\\WINSTART.BAT", n, n, n, -1},
        {"LF only: one long line", "rem\n" + t + "\n", -1, -1, -1, -1},
        {"LF only, text first", t + "\nrem\n", n + 5, -1, -1, -1},
        {"longer line", t + ".old\r\n" + t, n + 4, n + 4 + 2 + n, n + 4 + 2 + n, -1},
        {"shorter line", t.substr(0, n - 1), -1, -1, -1, -1}, {"empty file", "", -1, -1, -1, -1},
        {"over-long line before", std::string(5000, 'x') + "\r\n" + t, 5002 + n, 5002 + n, 5002 + n, -1},
        {"over-long matching line", t + std::string(400, 'y'), n + 400, -1, -1, -1},
        {"CR alone ends lines", "rem\r" + t, 4 + n, 4 + n, 4 + n, -1},
        {"zero byte inside", std::string("del C:\\WIN\0OWS\\winstart.bat", 27), -1, -1, -1, -1},
        {"read error before", "rem\r\n" + t, -1, -1, -1, 3}, {"read error inside", "rem\r\n" + t, -1, -1, -1, 10},
    };
    for (const auto& r : rows) {
        const LineMatch modes[] = {LineMatch::Prefix, LineMatch::Whole, LineMatch::WholeLast};
        const long ends[] = {r.prefixEnd, r.wholeEnd, r.lastEnd};
        for (int m = 0; m < 3; ++m) {
            Memory memory{r.data, 0, r.failAt};
            long start = -2;
            long end = FindLine(ReadMemory, &memory, t.c_str(), modes[m], &start);
            EXPECT_EQ(end, ends[m]) << r.name << " mode " << m;
            if (m > 0)
                EXPECT_EQ(start, end >= 0 ? end - n : -1) << r.name << " mode " << m;
        }
    }
}

TEST(RestartDeletion, NtQueuesTheUninstallerThenThePackagesFolder)
{
    const struct {
        const char* installDir;
        int kind, count;
        const char *uninstaller, *directory;
    } rows[] = {
        {"C:\\QOR4400", 403, 2, "C:\\QOR4400\\QORDELET.EXE", "C:\\QOR4400"},
        {"D:\\PKG\\", 403, 2, "D:\\PKG\\QORDELET.EXE", "D:\\PKG"},
        // Blanks are no trouble here, unlike in the batch.
        {"C:\\Program Files\\QOR", 403, 2, "C:\\Program Files\\QOR\\QORDELET.EXE", "C:\\Program Files\\QOR"},
        {"C:\\", 403, 1, "C:\\QORDELET.EXE", ""},  // a root is never removed
        {"C:\\WINDOWS", 403, 1, "C:\\WINDOWS\\QORDELET.EXE", ""},
        {"C:\\QOR4400", 401, 0, "", ""},  // the Windows 95 family runs the batch
        {"", 403, 0, "", ""},
    };
    for (const auto& r : rows) {
        SetDirs("C:\\WINDOWS", r.kind, r.installDir);
        char paths[2][kMaxPath] = {"", ""};
        ASSERT_EQ(RestartDeletionPaths(paths), r.count) << r.installDir;
        EXPECT_STREQ(paths[0], r.uninstaller);
        EXPECT_STREQ(paths[1], r.directory);
    }
    SetDirs("C:\\WINDOWS", 403, ("C:\\" + std::string(kMaxPath - 12, 'L')).c_str());
    char paths[2][kMaxPath];
    EXPECT_EQ(RestartDeletionPaths(paths), 0);
}

TEST(Sequence, SystemDirectoryKindAndDriveRoot)
{
    const struct {
        const char *windows, *system;
        int kind;
    } rows[] = {
        {"C:\\WINDOWS", "C:\\WINDOWS\\SYSTEM", 401}, {"C:\\WINDOWS", "c:\\windows\\system\\", 401},
        {"C:\\", "C:\\SYSTEM", 401}, {"C:\\WINNT", "C:\\WINNT\\SYSTEM32", 403},
        {"C:\\WINDOWS", "C:\\WINDOWS\\SYSTEMX", 403}, {"C:\\WINDOWS", "D:\\WINDOWS\\SYSTEM", 403},
    };
    for (const auto& r : rows)
        EXPECT_EQ(SystemDirectoryKind(r.windows, r.system), r.kind) << r.windows << " " << r.system;
    char root[4];
    ASSERT_TRUE(InstallDriveRoot("d:\\qor4400", root, sizeof root));
    EXPECT_STREQ(root, "D:\\");
    for (const char* noDrive : {"\\\\server\\share", "QOR4400", "", "1:\\X"})
        EXPECT_FALSE(InstallDriveRoot(noDrive, root, sizeof root)) << noDrive;
}

}  // namespace
