// The engine's rules: where an installed file lives, which entries are left
// alone or cannot be reached, which directories may be emptied or removed,
// the flag and skip tables, the batch's lines, the line search that finds an
// earlier block and what NT deletes at the restart.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <tuple>
#include <vector>

#include "base/base.h"
#include "engine/removal_batch.h"
#include "engine/removal_rules.h"
#include "engine/restart.h"

namespace {

// What lies past a directory's end must not count: the rest is filled.
template <std::size_t N> void Put(char (&field)[N], const char* text)
{
    std::memset(field, 'x', N);
    std::strcpy(field, text);
}

void SetDirs(const char* windows, int kind, const char* install, const char* system = "C:\\WINDOWS\\SYSTEM")
{
    g_config = ConfigRecord();
    Put(g_config.WindowsDir, windows);
    Put(g_config.SystemDir, system);
    Put(g_config.InstallDir, install);
    g_config.SystemDirKind = kind;
}

// Each outcome as "D path" (Delete), "L " (Leave) or "U " (Unreachable).
TEST(Destination, FullPathOfEachKindOfDirectory)
{
    const std::string fill = "C:\\" + std::string(kMaxPath - 20, 'P');  // "\DAT\ABCDEFG.TXT" fills the path
    const struct { const char *file, *dir; std::string outcome, install = "C:\\PKG"; int kind = 401;
                   bool known = true; } rows[] = {
        {"F.DLL", "WINDOWS", "D C:\\WINDOWS\\F.DLL"}, {"F.DLL", "SYSTEM", "D C:\\WINDOWS\\SYSTEM\\F.DLL"},
        {"F.DLL", "System", "D C:\\WINDOWS\\F.DLL", "C:\\PKG", 403}, {"F.DLL", ".", "D C:\\PKG\\.\\F.DLL"},
        {"F.DLL", "DATA", "D D:\\\\DATA\\F.DLL", "D:\\"}, {"F.DLL", "DATA", "D C:\\PKG\\DATA\\F.DLL"},
        {"F.DLL", "..\\..", "U "}, {"F.DLL", "", "U "}, {"QORDELET.EXE", "DATA", "L "},
        // First: without an install directory there is no place to guess.
        {"F.DLL", "DATA", "U ", ""}, {"..\\F.DLL", "DATA", "U "}, {"PSCRIPT.DRV", "", "L "},
        {"F.DLL", "DATA", "U ", "C:\\PKG", 401, false}, {"PSCRIPT.DRV", "DATA", "L ", "C:\\PKG", 401, false},
        // An install directory that depends on the current drive or
        // directory names no folder for certain; the Windows directory's
        // files are found all the same.
        {"F.DLL", "DATA", "U ", "PKG"}, {"F.DLL", "DATA", "U ", "C:PKG"}, {"F.DLL", "DATA", "U ", "\\PKG"},
        {"F.DLL", "WINDOWS", "D C:\\WINDOWS\\F.DLL", "PKG"},
        // A path that does not fit is not deleted, never cut.
        {"ABCDEFG.TXT", "DAT", "D " + fill + "\\DAT\\ABCDEFG.TXT", fill}, {"ABCDEFGH.TXT", "DAT", "U ", fill}};
    for (const auto& r : rows) {
        SetDirs("C:\\WINDOWS", r.kind, r.install.c_str());
        char path[kRemovalPathSize];
        std::memset(path, 'x', sizeof path);
        FileAction action = DecideFile(r.file, r.dir, r.known, path, sizeof path);
        EXPECT_EQ("DLU"[static_cast<int>(action)] + std::string(" ") + path, r.outcome) << r.file;
    }
    // Why a file is left alone, in the log's words.
    SetDirs("C:\\WINDOWS", 401, "C:\\PKG");
    const char* why = "";
    char out[kRemovalPathSize];
    DecideFile("qordelet.exe", "DATA", true, out, sizeof out, &why);
    EXPECT_STREQ(why, "the uninstaller itself, deleted at the next start of Windows");
    DecideFile("PSCRIPT.DRV", "SYSTEM", true, out, sizeof out, &why);
    EXPECT_STREQ(why, "a file of Windows' own printer drivers");
    // No room, or an unsafe name: nothing built, the output emptied.
    out[0] = 'x';
    EXPECT_FALSE(BuildDestinationDir(out, sizeof out, ".."));
    EXPECT_EQ(out[0], '\0');
    out[0] = 'x';
    EXPECT_FALSE(BuildAfterWalkPath(0, out, 1));
    EXPECT_EQ(out[0], '\0');
    out[0] = 'x';
    EXPECT_FALSE(BuildInstallSubdir(out, sizeof out, "..\\X"));
    EXPECT_EQ(out[0], '\0');
    out[0] = 'x';
    EXPECT_FALSE(BuildInstallSubdir(out, 1, "..\\X"));
    EXPECT_EQ(out[0], '\0');
    out[0] = 'x';
    EXPECT_FALSE(BuildDestinationDir(out, 1, "DATA"));
    EXPECT_EQ(out[0], '\0');
    // No room at all: not even the terminator is written.
    char none = 'x';
    EXPECT_EQ(DecideFile("F.DLL", "DATA", true, &none, 0), FileAction::Unreachable);
    EXPECT_EQ(none, 'x');
    // An unknown Windows directory is no place: the file would land at the
    // root of the current drive.
    SetDirs("", 401, "C:\\PKG");
    char path[kRemovalPathSize];
    EXPECT_EQ(DecideFile("F.DLL", "WINDOWS", true, path, sizeof path), FileAction::Unreachable);
}

// The setup log is kept until the end when a file entry names it, in
// whatever way the path is written; only the same file counts. The log shows
// paths without the install directory's "." entry.
TEST(Paths, SamePathAndTheLogsForm)
{
    const struct { const char *a, *b; bool same; } same[] = {
        {"C:\\PKG\\.\\QVSETUP.INF", "C:\\PKG\\QVSETUP.INF", true}, {"c:\\pkg\\qvsetup.inf", "C:\\PKG\\QVSETUP.INF", true},
        {"D:\\\\QVSETUP.INF.", "D:\\QVSETUP.INF", true}, {"C:\\PKG\\SUB\\..\\QVSETUP.INF", "C:\\PKG\\QVSETUP.INF", true},
        {"C:\\PKG\\SUB\\QVSETUP.INF", "C:\\PKG\\QVSETUP.INF", false}, {"C:\\PKG\\QVSETUP.IN", "C:\\PKG\\QVSETUP.INF", false},
        {"C:\\PKG", "C:\\PKG\\QVSETUP.INF", false},
    };
    for (const auto& r : same) {
        EXPECT_EQ(SamePath(r.a, r.b), r.same) << r.a << " " << r.b;
        EXPECT_EQ(SamePath(r.b, r.a), r.same) << r.b << " " << r.a;
    }
    const char* shown[][2] = {{"C:\\PKG\\.\\A.TXT", "C:\\PKG\\A.TXT"}, {"C:\\PKG\\.", "C:\\PKG"},
                              {"C:\\PKG\\..\\A", "C:\\PKG\\..\\A"}, {".\\A", ".\\A"}, {"C:\\.X\\A", "C:\\.X\\A"}};
    for (auto& r : shown) {
        char out[32];
        PathForLog(r[0], out, sizeof out);
        EXPECT_STREQ(out, r[1]) << r[0];
    }
    char tiny[4];
    PathForLog("C:\\PKG\\A", tiny, sizeof tiny);
    EXPECT_STREQ(tiny, "C:\\");
}

// The completion page's items as a run starts: the two drivers and the
// monitor listed until deleting their file fails, the group not yet removed.
const auto kFlagsAtStart = std::make_tuple(g_pclFlag, g_postScriptFlag, g_monitorFlag, g_groupFlag);

// s: skipped, f: a safe file name, d: a safe directory name; then the flag
// cleared when deleting the file fails: p (PCL), s (PostScript), m (monitor).
TEST(Names, SkipAndFlagTablesAndUnsafeNames)
{
    EXPECT_EQ(kFlagsAtStart, std::make_tuple(1, 1, 1, 0));
    const char* rows[][2] = {
        {"hppcl5ms.drv", "sfd-"}, {"HPPC.DRV", "-fd-"}, {"UNIDRV.DLL", "sfd-"}, {"UNIDR.DLL", "-fd-"},
        {"Finstall.hlp", "sfd-"}, {"FINSTAL", "-fd-"}, {"PSCRIPT.DRV", "sfd-"}, {"PSCRIP", "-fd-"},
        {"qordelet.exe", "sfd-"}, {"QORDELET.EX_", "-fd-"}, {"QORDELET.EXE.OLD", "-fd-"}, {"A..", "-fd-"},
        {"q44pcl.drv", "-fdp"}, {"Q44PCL.DRV.OLD", "-fd-"}, {"QOR4400.DRV", "-fds"}, {"QOR4400.DRVX", "-fd-"},
        {"VORNWPSD.EXE", "-fdm"}, {"VORNWPSD.EXE.BAK", "-fdm"}, {"VORNWPSD.EX", "-fd-"}, {"", "----"},
        {".", "--d-"}, {"..", "----"}, {"...", "----"}, {"..\\WIN.INI", "----"}, {"SUB/F.TXT", "--d-"},
        {"C:F.TXT", "----"}, {"F:s", "----"}, {"*.*", "----"}, {"A..B", "-fd-"}, {"D*", "----"},
        {"..A", "-fd-"}, {"../..", "----"}, {"A\\..\\..\\B", "----"}, {"\\", "----"}, {"/etc", "----"},
        {"D:DATA", "----"}, {"\\\\srv\\x", "----"}, {"SUB\\DEEP", "--d-"}, {"SUB/DEEP", "--d-"},
        {".\\DATA", "--d-"}};
    const int* flags[] = {&g_pclFlag, &g_postScriptFlag, &g_monitorFlag};
    for (const auto& r : rows) {
        const int* f = CompletionFlagFor(r[0]);
        char flag = !f ? '-' : "psm?"[std::find(flags, flags + 3, f) - flags];
        EXPECT_EQ(std::string({IsSkippedFile(r[0]) ? 's' : '-', IsSafeFileName(r[0]) ? 'f' : '-',
                               IsSafeDirName(r[0]) ? 'd' : '-', flag}), r[1]) << r[0];
    }
}

TEST(Paths, CanonicalFormAndWhereAPathLies)
{
    const struct { const char *path, *expected; std::size_t size = kMaxPath; } canonical[] = {  // "-": no fit
        {"c:\\Windows\\", "C:\\WINDOWS"}, {"C:/A//B/./C", "C:\\A\\B\\C"}, {"C:\\", "C:"}, {"", ""},
        {"C:\\A\\..\\..\\B", "C:\\B"}, {"C:\\DATA. \\X", "C:\\DATA\\X"}, {"C:\\A\\...\\B", "C:\\A\\B"}, {"C:\\A\\ .\\B", "C:\\A\\B"},
        {"\\\\srv\\share\\..\\x", "\\\\SRV\\SHARE\\X"}, {"C:\\ABC", "-", 6}, {"C:\\AB", "C:\\AB", 6},
        {"C:", "-", 2}, {"C:", "C:", 3}};
    for (const auto& r : canonical) {
        std::vector<char> out(r.size, 'x');  // on the heap, where a write past its end shows
        EXPECT_STREQ(CanonicalPath(r.path, out.data(), out.size()) ? out.data() : "-", r.expected) << r.path;
    }
    const struct { const char *path, *dir; bool strictly, within; } within[] = {
        {"c:\\pkg\\data", "C:\\PKG\\", true, true}, {"C:\\PKG\\.", "C:\\PKG", false, true},
        {"C:\\PKG\\.", "C:\\PKG", true, false}, {"C:\\PKGX\\DATA", "C:\\PKG", false, false},
        {"C:\\WINDOWS", "C:\\", true, true}, {"C:\\X", "", false, false}, {"\\X", "", false, false}};
    for (const auto& r : within)
        EXPECT_EQ(PathWithin(r.path, r.dir, r.strictly), r.within) << r.path << " in " << r.dir << r.strictly;
}

// A path names the same place whatever the current drive and folder only
// from a drive's root or a share on.
TEST(Paths, AbsoluteOnlyFromADrivesRootOrAShare)
{
    for (const char* path : {"A:\\", "z:/X", "Z:\\X", "a:\\", "\\\\S\\H", "//S/H"})
        EXPECT_TRUE(IsAbsolutePath(path)) << path;
    for (const char* path : {"", "C:", "C:X", "\\X", "X", "@:\\X", "[:\\X", "`:\\X", "{:\\X", "1:\\X"})
        EXPECT_FALSE(IsAbsolutePath(path)) << path;
}

// The folder emptied on the strength of directory entry 1 ("-": none), whether
// the install directory is the package's own, and which after-walk files go
// ("+"): those of the install directory only from the package's own folder,
// those of the system's directories when they are known. With three entries,
// entry 1 is the Windows entry of a package without folders.
TEST(Paths, OnlyThePackagesOwnFolders)
{
    const struct { const char* install; bool package; const char *entry1, *emptied; int dirCount = 8;
                   const char *windows = "C:\\WINDOWS", *system = "C:\\WINDOWS\\SYSTEM"; } rows[] = {
        {"C:\\QOR4400", true, "SPOOL", "C:\\QOR4400\\SPOOL"}, {"C:\\QOR4400", true, "SPOOL", "-", 3},
        {"C:\\QOR4400\\", true, "SPOOL", "C:\\QOR4400\\SPOOL", 4}, {"C:\\", false, "WINDOWS", "-", 3},
        {"C:\\", false, "windows", "-"}, {"C:\\", false, "WINDOWS.", "-"}, {"C:\\", false, "QOR", "C:\\QOR"},
        {"C:\\", false, "Windows\\System", "-"}, {"D:\\", false, "SPOOL", "D:\\SPOOL"},
        {"C:\\WINDOWS", false, "SPOOL", "-"}, {"C:\\WINDOWS", false, "SYSTEM", "-"},
        {"C:\\WINDOWS\\SYSTEM", false, "SPOOL", "-"}, {"C:\\QOR4400\\..\\WINDOWS", false, "SPOOL", "-"},
        {"C:\\WINDOWS\\QOR", true, "SPOOL", "C:\\WINDOWS\\QOR\\SPOOL"}, {"C:\\QOR4400", true, ".", "-"},
        {"C:\\WINNT\\SYSTEM32\\QOR", true, "SPOOL", "C:\\WINNT\\SYSTEM32\\QOR\\SPOOL", 8, "C:\\WINNT",
         "C:\\WINNT\\SYSTEM32"},
        // QOR holds the Windows directory, SYS the system directory; an
        // unknown system directory lets nothing of it be guessed.
        {"C:\\", false, "QOR", "-", 8, "C:\\QOR\\WIN", "C:\\QOR\\WIN\\SYSTEM"},
        {"C:\\", false, "SYS", "-", 8, "C:\\WIN", "C:\\SYS\\32"}, {"C:\\QOR4400", true, "system", "-"},
        {"C:\\PKG", false, "SPOOL", "-", 8, "C:\\WINDOWS", ""}, {"C:\\QOR4400", true, ".\\.", "-"},
        {"C:\\QOR4400", true, "", "-"}, {"C:\\QOR4400", true, "..\\QOR4400\\SPOOL", "-"},
        {"C:\\QOR4400", true, "Windows", "-"}, {"QOR4400", false, "SPOOL", "-"},
        {"C:QOR4400", false, "SPOOL", "-"}, {"A:\\QOR", true, "SPOOL", "A:\\QOR\\SPOOL"},
        // A share's root is one as a drive's is.
        {"\\\\SERVER\\QOR", false, "SPOOL", "\\\\SERVER\\QOR\\SPOOL"},
        {"\\\\SERVER\\SHARE\\QOR", true, "SPOOL", "\\\\SERVER\\SHARE\\QOR\\SPOOL"}};
    char out[kEmptyingPathSize];
    for (const auto& r : rows) {
        SetDirs(r.windows, 401, r.install, r.system);
        std::memset(out, 'x', sizeof out);
        bool emptied = BuildEmptiedSubdir(out, sizeof out, r.dirCount, r.entry1);
        std::string got = (emptied ? "" : "-") + std::string(out) + " ";
        for (int row = 0; row < kAfterWalkFiles; ++row)
            got += BuildAfterWalkPath(row, out, sizeof out) ? "+" : "-";
        std::string want = r.emptied + std::string(!r.system[0] ? " ---+-" : r.package ? " +++++" : " -+++-");
        EXPECT_EQ(std::make_tuple(IsPackageInstallDir(), got), std::make_tuple(r.package, want)) << r.install;
    }
    SetDirs("C:\\WIN", 401, "C:\\PKG", "C:\\WIN\\SYS");
    std::string paths;
    for (int row = 0; row <= kAfterWalkFiles; ++row) {
        bool built = BuildAfterWalkPath(row, out, sizeof out);
        paths += (built ? "" : "-") + std::string(out) + " ";
    }
    EXPECT_EQ(paths, "C:\\PKG\\spooler.que C:\\WIN\\SYS\\VORNPRNT.DLL C:\\WIN\\SYS\\VORNGDI.DRV "
                     "C:\\WIN\\VORNPRNT.DLL C:\\PKG\\VORNPRNT.DLL - ");
    // The bound of the directory removal is also the gauge's range: 0, -1 and
    // -2 are sent unchanged. The font directory is never named.
    for (int count : {0, 1, 2, 3, 8})
        EXPECT_EQ(DirectoryRangeEnd(count), count - 2) << count;
    EXPECT_EQ(std::make_pair(ShowsDirectoryPath("C:\\PKG\\TTFONTS"), ShowsDirectoryPath("C:\\PKG\\ttfonts")),
              std::make_pair(false, true));
}

std::string Head(const std::string& dir)  // lines 1 to 5 of a block
{
    return "@echo off\r\nif exist " + dir + "\\QORDELET.EXE del " + dir + "\\QORDELET.EXE\r\n" +
           "if exist gauge32.dll del gauge32.dll\r\nif exist qvwpd.exe del qvwpd.exe\r\nif not exist " + dir +
           "\\*.* rmdir " + dir + "\r\n";
}

// The block's text, or "none" and the count of lines left in the block (-1:
// no block was built).
TEST(BatchText, CasesABAndCWithAndWithoutTrailingBackslashes)
{
    // Line 2 is the longest: 16 characters besides the uninstaller path twice must fit 143.
    const std::string fits = "C:\\" + std::string(47, 'P'), pkg = Head("C:\\PKG");
    const std::string del = "del C:\\WINDOWS\\winstart.bat", win = "C:\\WINDOWS\\";
    // Its "move /y" line, two paths in this Windows directory, does not fit.
    const std::string longWindows = "C:\\" + std::string(60, 'W');
    const std::string veryLongWindows = "C:\\" + std::string(130, 'W');
    const struct { const char* windows; std::string install, expected; int oldChoice = -1; } rows[] = {
        {"C:\\WINDOWS", "C:\\PKG", pkg + del}, {"C:\\", "C:\\PKG\\", pkg + "del C:\\winstart.bat"},
        {"C:\\WINDOWS", "C:\\PKG\\",
         pkg + "call " + win + "oldstart.bat\r\nmove /y " + win + "oldstart.bat " + win + "winstart.bat", 0},
        {"C:\\", "C:\\PKG", pkg + "call C:\\oldstar3.bat\r\nmove /y C:\\oldstar3.bat C:\\winstart.bat", 3},
        {"C:\\WINDOWS", "C:\\PKG", "none -1", kOldBatchChoices}, {"C:\\WINDOWS", fits, Head(fits) + del},
        {"C:\\WINDOWS", fits + "P", "none 0"}, {longWindows.c_str(), "C:\\PKG", "none 0", 0},
        // Paths the command interpreter would split write nothing.
        {"C:\\WIN DOWS", "C:\\PKG", "none -1"}, {"C:\\WINDOWS", "C:\\PROGRAM FILES\\QOR", "none -1"},
        {"C:\\WINDOWS", "C:\\%TEMP%", "none -1"}, {"C:\\WINDOWS", "C:\\A&B", "none -1"},
        {"C:\\WINDOWS", "", "none -1"}, {"C:\\WINDOWS", "\\", "none -1"},
        // Relative directories would name other places when the batch runs;
        // a batch path too long is none.
        {"WINDOWS", "C:\\PKG", "none -1"}, {"C:\\WINDOWS", "PKG", "none -1"}, {"", "C:\\PKG", "none -1"},
        {veryLongWindows.c_str(), "C:\\PKG", "none -1"}};
    for (const auto& r : rows) {
        BatchPaths paths;
        BatchBlock block;
        block.count = -1;
        char old[kBatchTextSize];
        bool built = BuildBatchPaths(&paths, r.windows, r.install.c_str()) &&
                     (r.oldChoice < 0 || BuildOldBatchPath(old, sizeof old, r.windows, r.oldChoice)) &&
                     BuildBatchBlock(&block, paths, r.oldChoice < 0 ? nullptr : old);
        std::string text = built ? "" : "none " + std::to_string(block.count);
        for (int i = 0; built && i < block.count; ++i)
            text += block.lines[i];
        EXPECT_EQ(text, r.expected) << r.windows << " " << r.install;
    }
    // Deferred files, then their folders, before the install directory's
    // line, which the own last line or the wrapper's two lines follow; what
    // the command interpreter would split is left to NT's list.
    {
        static DeferredList deferred;
        deferred.count = 0;
        for (const auto& [path, directory] : std::vector<std::pair<const char*, bool>>{
                 {"C:\\PKG\\BIN", true}, {"C:\\PKG\\BIN\\A.EXE", false}, {"C:\\PKG\\MY FILE", false}})
            ASSERT_TRUE(DeferToRestart(&deferred, path, "C:\\PKG", directory, 403));
        BatchPaths paths;
        static BatchBlock block;
        ASSERT_TRUE(BuildBatchPaths(&paths, "C:\\WINDOWS", "C:\\PKG"));
        const std::string middle = "if exist C:\\PKG\\BIN\\A.EXE del C:\\PKG\\BIN\\A.EXE\r\n"
                                   "if not exist C:\\PKG\\BIN\\*.* rmdir C:\\PKG\\BIN\r\n";
        for (const char* old : {static_cast<const char*>(nullptr), "C:\\WINDOWS\\oldstart.bat"}) {
            ASSERT_TRUE(BuildBatchBlock(&block, paths, old, &deferred));
            std::string text;
            for (int i = 0; i < block.count; ++i)
                text += block.lines[i];
            const std::string head = Head("C:\\PKG"), rmdir = head.substr(head.rfind("if not exist"));
            EXPECT_EQ(text, head.substr(0, head.size() - rmdir.size()) + middle + rmdir +
                                (old ? "call " + std::string(old) + "\r\nmove /y " + old + " C:\\WINDOWS\\winstart.bat"
                                     : del));
        }
    }
    // The last two lines of a block that wraps the user's batch, found at the
    // end of a file or of its last bytes.
    BatchPaths paths;
    ASSERT_TRUE(BuildBatchPaths(&paths, "C:\\W", "C:\\PKG"));
    const std::string wrap = "call C:\\W\\oldstart.bat\r\nmove /y C:\\W\\oldstart.bat C:\\W\\winstart.bat";
    const struct { std::string data; bool wholeFile, found; } wrapRows[] = {
        {pkg + wrap, true, true}, {"x\n" + wrap, false, true}, {wrap, true, true}, {wrap, false, false},
        {"x" + wrap, true, false}, {pkg + wrap + "\r\n", true, false}, {wrap.substr(1), true, false},
        {"CALL c:\\w\\OLDSTART.bat\r\nMOVE /Y c:\\w\\oldstart.bat C:\\W\\WINSTART.BAT", true, true}};
    for (const auto& r : wrapRows) {
        std::size_t tail = 0;
        bool found =
            EndsWithWrapLines(r.data.data(), r.data.size(), r.wholeFile, paths, "C:\\W\\oldstart.bat", &tail);
        EXPECT_EQ(std::make_pair(found, tail), std::make_pair(r.found, r.found ? wrap.size() : 0u)) << r.data;
    }
}

// The ends of the first line that begins with t, of the first and of the last
// line that is t (-1: none), each of the last two followed by its start.
TEST(LineSearch, LineEndsLengthsAndReadErrors)
{
    const std::string t = "del C:\\WINDOWS\\winstart.bat";
    const long n = static_cast<long>(t.size());
    const struct { const char* name; std::string data; long prefix, whole, last, failAt = -1; } rows[] = {
        {"unterminated", "@echo off\r\n" + t, 11 + n, 11 + n, 11 + n}, {"empty", "", -1, -1, -1},
        {"CR alone", "rem\r" + t, 4 + n, 4 + n, 4 + n}, {"twice", t + "\r\nx\r\n" + t, n, n, 2 * n + 5},
        {"lines after it", "rem\r\n" + t + "\r\nrem\r\n", 5 + n, 5 + n, -1},
        {"only line ends after it", "rem\r\n" + t + "\r\n\r\n", 5 + n, 5 + n, 5 + n},
        {"case", "DEL C:\\windows\\WINSTART.BAT", n, n, n}, {"LF only", "rem\n" + t + "\n", -1, -1, -1},
        {"LF after", t + "\nrem\n", n + 5, -1, -1}, {"shorter", t.substr(0, n - 1), -1, -1, -1},
        {"LF inside", "rem\r\n" + t.substr(0, 15) + "\n" + t.substr(15), n + 6, -1, -1},
        {"longer", t + ".old\r\n" + t, n + 4, 2 * n + 6, 2 * n + 6},
        {"over-long line before", std::string(5000, 'x') + "\r\n" + t, 5002 + n, 5002 + n, 5002 + n},
        {"over-long line", t + std::string(400, 'y'), n + 400, -1, -1},
        {"zero byte", std::string("del C:\\WIN\0OWS\\winstart.bat", 27), -1, -1, -1},
        {"error before", "rem\r\n" + t, -1, -1, -1, 3}, {"error inside", "rem\r\n" + t, -1, -1, -1, 10}};
    struct Memory { const std::string& data; std::size_t at; long failAt; };  // a read error at failAt
    ReadByteFn read = [](void* context) {
        Memory* m = static_cast<Memory*>(context);
        if (m->failAt >= 0 && m->at == static_cast<std::size_t>(m->failAt))
            return kReadError;
        return m->at < m->data.size() ? static_cast<unsigned char>(m->data[m->at++]) : kEndOfInput;
    };
    for (const auto& r : rows) {
        std::vector<long> got;
        for (LineMatch mode : {LineMatch::Prefix, LineMatch::Whole, LineMatch::WholeLast}) {
            Memory memory{r.data, 0, r.failAt};
            long start = -2;
            got.push_back(FindLine(read, &memory, t.c_str(), mode, &start));
            if (mode != LineMatch::Prefix)
                got.push_back(start);
        }
        const std::vector<long> expected = {r.prefix, r.whole, r.whole >= 0 ? r.whole - n : -1, r.last,
                                            r.last >= 0 ? r.last - n : -1};
        EXPECT_EQ(got, expected) << r.name;
    }
    // A text as long as the line buffer, or longer, never matches, not even
    // a line that is that text.
    const std::string full(kLineSearchSize, 'q');
    Memory memory{full, 0, -1};
    long start = -2;
    EXPECT_EQ(FindLine(read, &memory, full.c_str(), LineMatch::Whole, &start), -1);
    EXPECT_EQ(start, -1);
}

// What was left is counted, and the first one's folder named: "C:\\" for
// a file at a drive's root, without the "." of the install directory's own
// entry.
TEST(RestartDeletion, FilesLeftAreCountedWithTheFirstOnesFolder)
{
    const struct { std::vector<const char*> paths; const char* folder; } rows[] = {
        {{"C:\\QOR\\BIN\\A.EXE", "D:\\B.DLL"}, "C:\\QOR\\BIN"}, {{"C:\\A.DLL"}, "C:\\"},
        {{"C:\\QOR\\.\\A.DLL"}, "C:\\QOR"}};
    for (const auto& r : rows) {
        g_remains = RemovalRemains();
        for (const char* p : r.paths)
            NoteFileLeft(p);
        EXPECT_EQ(std::make_pair(g_remains.left, std::string(g_remains.leftIn)),
                  std::make_pair(static_cast<int>(r.paths.size()), std::string(r.folder)))
            << r.paths[0];
    }
}

// The paths queued, joined by "|"; a deferred file's marked with "*".
TEST(RestartDeletion, NtQueuesTheUninstallerTheDeferredPathsThenThePackagesFolder)
{
    const struct { std::string install; int kind; const char* expected; } rows[] = {
        {"C:\\QOR4400", 403, "C:\\QOR4400\\QORDELET.EXE|C:\\QOR4400"},
        {"D:\\PKG\\", 403, "D:\\PKG\\QORDELET.EXE|D:\\PKG"}, {"C:\\QOR4400", 401, ""},  // 401: the batch
        // Blanks are no trouble here, unlike in the batch.
        {"C:\\Program Files\\QOR", 403, "C:\\Program Files\\QOR\\QORDELET.EXE|C:\\Program Files\\QOR"},
        {"C:\\", 403, "C:\\QORDELET.EXE"}, {"C:\\WINDOWS", 403, "C:\\WINDOWS\\QORDELET.EXE"},  // not removed
        {"", 403, ""}, {"C:\\" + std::string(kMaxPath - 12, 'L'), 403, ""}};
    static QueuedPath paths[kMaxQueued];
    auto joined = [](int count) {
        std::string got;
        for (int i = 0; i < count; ++i)
            got += std::string(i ? "|" : "") + paths[i].path + (paths[i].deferredFile ? "*" : "");
        return got;
    };
    static DeferredList none;
    for (const auto& r : rows) {
        SetDirs("C:\\WINDOWS", r.kind, r.install.c_str());
        int count = RestartDeletionPaths(none, paths);
        EXPECT_EQ(joined(count), r.expected) << r.install;
        if (!*r.expected) {
            EXPECT_EQ(count, 0) << r.install;
        }
    }
    // Files in use as they were met, then the folders that held them, the
    // deepest first whatever the log's order, before the install directory.
    SetDirs("C:\\WINDOWS", 403, "C:\\QOR4400");
    static DeferredList list;
    for (const auto& [path, directory] : std::vector<std::pair<const char*, bool>>{
             {"C:\\QOR4400\\BIN", true}, {"C:\\QOR4400\\BIN\\A.EXE", false},
             {"C:\\QOR4400\\BIN\\X\\Y", true}, {"C:\\WINDOWS\\Q44PCL.DRV", false},
             {"C:\\QOR4400\\HELP", true}, {"C:\\QOR4400\\BIN\\X", true}})
        ASSERT_TRUE(DeferToRestart(&list, path, g_config.InstallDir, directory, 403)) << path;
    EXPECT_EQ(joined(RestartDeletionPaths(list, paths)),
              "C:\\QOR4400\\QORDELET.EXE|C:\\QOR4400\\BIN\\A.EXE*|C:\\WINDOWS\\Q44PCL.DRV*|"
              "C:\\QOR4400\\BIN\\X\\Y|C:\\QOR4400\\BIN\\X|C:\\QOR4400\\BIN|C:\\QOR4400\\HELP|C:\\QOR4400");
    // The list holds so many; the batch of the 95 family names only what its
    // command interpreter keeps whole, NT's list anything that fits.
    while (list.count < kMaxDeferred)
        ASSERT_TRUE(DeferToRestart(&list, "C:\\QOR4400\\F", g_config.InstallDir, false, 403));
    EXPECT_FALSE(DeferToRestart(&list, "C:\\QOR4400\\G", g_config.InstallDir, false, 403));
    EXPECT_EQ(list.count, kMaxDeferred);
    EXPECT_EQ(std::make_tuple(CanNameAtRestart("C:\\A B\\F", false, 403), CanNameAtRestart("C:\\A B\\F", false, 401),
                              CanNameAtRestart("C:\\AB\\F", false, 401),
                              CanNameAtRestart(("C:\\" + std::string(kMaxPath, 'L')).c_str(), false, 403)),
              std::make_tuple(true, false, true, false));
}

}  // namespace
