// File and directory removal under wine: a real tree described by a real
// setup log, removed with a stand-in progress dialog whose "Percent" control
// records what it is sent; then the deferred-deletion batch, written in a
// Windows directory of the test's own and run by wine's cmd.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>
#include <vector>

#include "base/base.h"
#include "engine/engine.h"
#include "engine/removal.h"
#include "engine/removal_win32.h"
#include "engine/restart.h"
#include "setuplog/setuplog.h"
#include "support/winsupport.h"

using namespace winsupport;

namespace {

const std::string kRoot = "C:\\qortest_removal";
using Paths = std::vector<std::string>;  // below kRoot

// Creates the directories on the way, then the file unless `path` ends in "\".
void MakeFile(const std::string& path, const std::string& text = "x")
{
    for (std::size_t at = path.find('\\', 3); at != std::string::npos; at = path.find('\\', at + 1))
        CreateDirectoryA(path.substr(0, at).c_str(), nullptr);
    if (path.back() != '\\')
        WriteFileText(path, text);
}

std::string Read(const std::string& path)
{
    std::string text;
    return ReadFileText(path, &text) ? text : "<missing>";
}

Paths Existing(const Paths& paths)
{
    Paths found;
    for (const std::string& p : paths)
        if (FileExists(kRoot + "\\" + p))
            found.push_back(p);
    return found;
}

// Runs a Unix program from `dir` and waits until `done` holds: Wine starts
// one without a handle to wait on.
template <typename Done> bool RunUnix(const std::string& command, const std::string& dir, Done done)
{
    std::vector<char> text(command.begin(), command.end() + 1);
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessA(nullptr, text.data(), nullptr, nullptr, FALSE, 0, nullptr, dir.c_str(), &si, &pi))
        return false;
    for (HANDLE h : {pi.hProcess, pi.hThread})
        if (h)
            CloseHandle(h);
    for (DWORD start = GetTickCount(); !done(); Sleep(10))
        if (GetTickCount() - start > 20000)
            return false;
    return true;
}

// A Unix symbolic link, which Wine shows as a junction: `link` (a Windows
// path) to `target`, a Unix path from the link's folder.
void MakeLink(const std::string& link, const std::string& target)
{
    std::size_t slash = link.rfind('\\');
    ASSERT_TRUE(RunUnix("/bin/ln -s " + target + " " + link.substr(slash + 1), link.substr(0, slash),
                        [&] { return FileExists(link); }))
        << link;
}

// The scratch tree goes with Unix's rm, which removes links and not what
// they point at; Windows' own removal would empty the targets and leave
// links that point nowhere, which Wine no longer lists.
void RemoveScratchTree()
{
    SetCurrentDirectoryA("C:\\");
    if (FileExists(kRoot))
        RunUnix("/bin/rm -rf " + kRoot.substr(3), "C:\\", [] { return !FileExists(kRoot); });
}

bool HasLine(const std::vector<std::string>& lines, const std::string& line)
{
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

// What the gauge received: 'r' a range or 'p' a position, the value, and
// the item line at that moment.
using Step = std::tuple<char, int, std::string>;
std::vector<Step> g_gauge;

LRESULT CALLBACK RecordingGauge(HWND w, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message != kGaugeSetRange && message != kGaugeSetPosition)
        return DefWindowProcA(w, message, wParam, lParam);
    char item[256] = "";
    GetDlgItemTextA(GetParent(w), kItemLine, item, sizeof item);
    g_gauge.emplace_back(message == kGaugeSetRange ? 'r' : 'p', static_cast<int>(wParam), item);
    return 0;
}

class Removal : public ::testing::Test {
protected:
    std::string pkg = kRoot + "\\A\\B", win = kRoot + "\\WIN", sys = win + "\\SYSTEM";
    std::string batch = win + "\\winstart.bat", old = win + "\\oldstart.bat";
    std::string head = "@echo off\r\nif exist " + pkg + "\\QORDELET.EXE del " + pkg + "\\QORDELET.EXE\r\n" +
                       "if exist gauge32.dll del gauge32.dll\r\nif exist qvwpd.exe del qvwpd.exe\r\n" +
                       "if not exist " + pkg + "\\*.* rmdir " + pkg + "\r\n";
    HWND progress = nullptr;

    // A scratch tree (cmd removes read-only files too), and a window with the
    // progress dialog's two lines and a recording gauge.
    void SetUp() override
    {
        RemoveScratchTree();
        MakeFile(sys + "\\");
        MakeFile(pkg + "\\");
        lstrcpynA(g_config.InstallDir, pkg.c_str(), sizeof g_config.InstallDir);
        lstrcpynA(g_config.WindowsDir, win.c_str(), sizeof g_config.WindowsDir);
        lstrcpynA(g_config.SystemDir, sys.c_str(), sizeof g_config.SystemDir);
        g_config.SystemDirKind = kSystemDirIsWindowsSystem;
        g_pclFlag = g_postScriptFlag = g_monitorFlag = 1;
        g_deferred.count = 0;
        g_remains = RemovalRemains();
        g_instance = GetModuleHandleA(nullptr);
        WNDCLASSA wc = {0, RecordingGauge, 0, 0, g_instance, nullptr, nullptr, nullptr, nullptr, "Percent"};
        RegisterClassA(&wc);  // fails harmlessly the second time
        progress =
            CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 400, 150, nullptr, nullptr, g_instance, nullptr);
        for (int id : {kOperationLine, kItemLine, kGaugeControl})
            CreateWindowExA(0, id == kGaugeControl ? "Percent" : "STATIC", "", WS_CHILD, 0, 0, 300, 16,
                            progress, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), g_instance, nullptr);
        g_gauge.clear();
    }
    void TearDown() override
    {
        DestroyWindow(progress);
        CloseActionLog();
        RemoveScratchTree();
    }
    void LoadLog(const std::string& dirs, const std::string& files)
    {
        std::string path = pkg + "\\QVSETUP.INF";
        ASSERT_TRUE(WriteFileText(path, "[Application]\r\nAppName=QOR Test\r\n[Dirs]\r\n1=.\r\n" + dirs +
                                            "[Files]\r\n" + files + "[End]\r\n"));
        std::vector<char> text(path.begin(), path.end() + 1);
        ASSERT_EQ(SetupLogQuery(kLoadLog, 0, text.data()), 0);
    }
    // Runs `script` (winstart.bat unless told) with wine's cmd from kRoot,
    // where the uninstaller's helpers are found, and checks that the three
    // files went.
    void RunBatch(const std::string& script = "")
    {
        const Paths files = {"A\\B\\QORDELET.EXE", "gauge32.dll", "qvwpd.exe"};
        for (const std::string& f : files)
            MakeFile(kRoot + "\\" + f);
        SetCurrentDirectoryA(kRoot.c_str());
        EXPECT_NE(Process("cmd /c " + (script.empty() ? batch : script)).WaitExit(30000), -1);
        EXPECT_EQ(Existing(files), Paths());
    }
    // A block that wraps the user's batch, moved to oldBatch.
    std::string Wrap(const std::string& oldBatch) const
    {
        return head + "call " + oldBatch + "\r\nmove /y " + oldBatch + " " + batch;
    }
    std::pair<std::string, std::string> OldAndBatch() const { return {Read(old), Read(batch)}; }
};

}  // namespace

TEST_F(Removal, RemovesWhatTheLogRecordsAndNothingElse)
{
    // Files 0, 1, 6, 10 and 11 are deleted; 2 is skipped (the batch deletes
    // it) and 3 (Windows' own driver); 4 is read-only (the PCL flag cleared);
    // 5 names no directory (the PostScript flag cleared); 7 has an unsafe
    // name, 8 an unsafe directory, 9 no directory entry; 12 is not there and
    // the gauge moves anyway.
    LoadLog("2=DATA\r\n3=SUB\r\n4=SUB\\DEEP\r\n5=TTFONTS\r\n6=..\\OUTSIDE\r\n7=..\\EMPTYOUT\r\n8=KEEP\r\n"
            "9=WINDOWS\r\n10=SYSTEM\r\n",
            "A.TXT,1,,0,1,N\r\nD1.DAT,2,,0,1,N\r\nQORDELET.EXE,1,,0,1,N\r\nhppcl5ms.drv,10,,0,1,N\r\n"
            "Q44PCL.DRV,10,,0,1,N\r\nQOR4400.DRV,43,,0,1,N\r\nVORNWPSD.EXE,1,,0,1,N\r\n"
            "..\\OUT.TXT,1,,0,1,N\r\nEVIL.TXT,6,,0,1,N\r\nORPHAN.TXT,42,,0,1,N\r\nF.FON,5,,0,1,N\r\n"
            "DEEP.TXT,4,,0,1,N\r\nMISSING.DLL,10,,0,1,N\r\n");
    // The second entry's directory is emptied of its plain files, long names
    // included; then the after-walk files go.
    const Paths deleted = {
        "A\\B\\A.TXT", "A\\B\\DATA\\D1.DAT", "A\\B\\DATA\\EXTRA.BIN", "A\\B\\DATA\\.DOTFILE",
        "A\\B\\DATA\\" + std::string(150, 'N'), "A\\B\\VORNWPSD.EXE", "A\\B\\TTFONTS\\F.FON",
        "A\\B\\SUB\\DEEP\\DEEP.TXT", "A\\B\\spooler.que", "WIN\\SYSTEM\\VORNPRNT.DLL",
        "WIN\\SYSTEM\\VORNGDI.DRV", "WIN\\VORNPRNT.DLL", "A\\B\\VORNPRNT.DLL"};
    const Paths kept = {
        "A\\B\\QORDELET.EXE", "WIN\\SYSTEM\\hppcl5ms.drv", "WIN\\SYSTEM\\Q44PCL.DRV", "A\\OUT.TXT",
        "WIN\\SYSTEM\\QOR4400.DRV", "A\\OUTSIDE\\EVIL.TXT", "A\\B\\ORPHAN.TXT", "WIN\\ORPHAN.TXT",
        "WIN\\SYSTEM\\ORPHAN.TXT", "A\\B\\KEEP\\ORPHAN.TXT", "A\\B\\KEEP\\USER.DOC", "A\\B\\QVSETUP.INF",
        "A\\B\\DATA\\RO.TXT", "A\\B\\DATA\\SUB\\IN.TXT", "A\\B\\WINDOWS\\", "A\\B\\SYSTEM\\", "A\\EMPTYOUT\\"};
    for (const Paths* list : {&deleted, &kept})
        for (const std::string& f : *list)
            MakeFile(kRoot + "\\" + f);
    for (const std::string& f : {sys + "\\Q44PCL.DRV", pkg + "\\DATA\\RO.TXT"})
        SetFileAttributesA(f.c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(DeleteInstalledFiles(progress), 1);
    EXPECT_EQ(WindowText(GetDlgItem(progress, kOperationLine)), "Deleting files...");
    std::vector<Step> expected = {{'p', 0, ""}, {'r', 13, ""}};
    for (const auto& w : {std::make_pair(0, "A.TXT"), {1, "D1.DAT"}, {4, "Q44PCL.DRV"}, {6, "VORNWPSD.EXE"},
                          {10, "F.FON"}, {11, "DEEP.TXT"}, {12, "MISSING.DLL"}})
        expected.insert(expected.end(), {{'p', w.first, w.second}, {'p', w.first + 1, w.second}});
    EXPECT_EQ(g_gauge, expected);
    EXPECT_EQ(std::make_tuple(g_pclFlag, g_postScriptFlag, g_monitorFlag), std::make_tuple(0, 0, 1));
    EXPECT_EQ(Existing(deleted), Paths());
    EXPECT_EQ(Existing(kept), kept);
    // The two read-only files are left, not put off to the next start, which
    // would fail on them as well; the first one's folder is named.
    EXPECT_EQ(std::make_tuple(g_remains.waiting, g_remains.left, std::string(g_remains.leftIn), g_deferred.count),
              std::make_tuple(0, 2, sys, 0));

    g_gauge.clear();
    EXPECT_EQ(RemoveInstallDirectories(progress), 1);
    EXPECT_EQ(WindowText(GetDlgItem(progress, kOperationLine)), "Deleting destination directory tree...");
    // Entries 1 to 7 of ten; the font directory is never named, the two
    // unsafe entries are passed over like skipped files.
    expected = {{'p', 0, "MISSING.DLL"}, {'r', 8, "MISSING.DLL"}, {'p', 1, pkg}, {'p', 2, pkg + "\\DATA"},
                {'p', 3, pkg + "\\SUB"}, {'p', 4, pkg + "\\SUB\\DEEP"}, {'p', 5, pkg + "\\SUB\\DEEP"},
                {'p', 8, pkg + "\\KEEP"}};
    EXPECT_EQ(g_gauge, expected);
    // SUB still held DEEP when its turn came, DATA and KEEP hold what is not
    // deleted; entry 0 and the last two entries are never removed.
    EXPECT_EQ(Existing({"A\\B\\SUB", "A\\B\\SUB\\DEEP", "A\\B\\TTFONTS"}), Paths{"A\\B\\SUB"});
    EXPECT_EQ(Existing(kept), kept);
    char current[MAX_PATH];
    GetCurrentDirectoryA(sizeof current, current);
    EXPECT_EQ(lstrcmpiA(current, pkg.c_str()), 0) << current;
}

// Whatever the install directory (the Windows directory, a folder holding
// it) and whatever the second directory entry names, nothing but the files
// the log lists goes from the Windows and system directories or from
// outside the install directory.
TEST_F(Removal, OddInstallDirectoriesLoseNothingTheLogDoesNotList)
{
    const Paths victims = {"VICTIM.TXT", "A\\VICTIM.TXT", "WIN\\WIN.INI", "WIN\\spooler.que",
                           "WIN\\SYSTEM\\USER.DLL", "WIN\\SPOOL\\JOB.SPL"};
    const std::string tail = "4=WINDOWS\r\n5=SYSTEM\r\n";
    const std::pair<std::string, std::string> rows[] = {
        {pkg, "2=..\\..\r\n3=WINDOWS\r\n4=SYSTEM\r\n"}, {pkg, "2=" + kRoot + "\r\n3=WINDOWS\r\n4=SYSTEM\r\n"},
        {kRoot, "2=WIN\r\n3=SYSTEM\r\n"},  // a package without folders
        {win, "2=SYSTEM\r\n3=x\r\n" + tail}, {win, "2=SPOOL\r\n3=x\r\n" + tail},  // Windows' own folder
        {kRoot, "2=WIN\r\n3=WIN\\SYSTEM\r\n" + tail}, {kRoot, "2=win.\r\n3=x\r\n" + tail},
        {"C:\\", "2=qortest_removal\r\n3=x\r\n" + tail}};  // a folder holding the Windows directory
    for (const auto& row : rows) {
        for (const std::string& f : victims)
            MakeFile(kRoot + "\\" + f);
        lstrcpynA(g_config.InstallDir, row.first.c_str(), sizeof g_config.InstallDir);
        LoadLog(row.second, "LISTED.DLL,4,,0,1,N\r\n");
        MakeFile(sys + "\\LISTED.DLL");
        DeleteInstalledFiles(progress);
        RemoveInstallDirectories(progress);
        EXPECT_EQ(Existing(victims), victims) << row.first << " " << row.second;
        SetCurrentDirectoryA("C:\\");
    }
}

// Links where a user who may write to the install directory could lay them:
// the folder of listed files (BIN), a folder further down (HELP\EN, into the
// Windows directory), the folder that is emptied (SPOOL), an empty folder of
// the walk, and a listed file. What lies behind them stays, and so do the
// links; the rest goes as ever; the log says why each one was kept.
TEST_F(Removal, NothingIsDeletedOrRemovedThroughALink)
{
    const std::string log = kRoot + "\\removal.log";
    ASSERT_TRUE(OpenActionLog(log.c_str()));
    LoadLog("2=SPOOL\r\n3=BIN\r\n4=HELP\\EN\r\n5=HELP\r\n6=EMPTY\r\n7=WINDOWS\r\n8=SYSTEM\r\n",
            "A.TXT,1,,0,1,N\r\nLINK.DLL,1,,0,1,N\r\nB1.EXE,3,,0,1,N\r\nB2.EXE,3,,0,1,N\r\n"
            "H1.HLP,4,,0,1,N\r\nWINHELP.EXE,4,,0,1,N\r\nH2.HLP,5,,0,1,N\r\nW.DLL,7,,0,1,N\r\n");
    const Paths deleted = {"A\\B\\A.TXT", "A\\B\\HELP\\H2.HLP", "WIN\\W.DLL", "A\\B\\spooler.que"};
    const Paths behind = {"OUT\\BIN\\B1.EXE", "OUT\\BIN\\B2.EXE", "OUT\\SPOOL\\JOB.SPL", "OUT\\EMPTY\\",
                          "OUT\\VICTIM.DLL", "WIN\\H1.HLP", "WIN\\WINHELP.EXE"};
    for (const Paths* list : {&deleted, &behind})
        for (const std::string& f : *list)
            MakeFile(kRoot + "\\" + f);
    MakeFile(pkg + "\\HELP\\");
    const Paths links = {"A\\B\\BIN", "A\\B\\SPOOL", "A\\B\\EMPTY", "A\\B\\LINK.DLL", "A\\B\\HELP\\EN"};
    const char* targets[] = {"../../OUT/BIN", "../../OUT/SPOOL", "../../OUT/EMPTY", "../../OUT/VICTIM.DLL",
                             "../../../WIN"};
    for (std::size_t i = 0; i < links.size(); ++i)
        MakeLink(kRoot + "\\" + links[i], targets[i]);
    EXPECT_EQ(GetFileAttributesA((pkg + "\\BIN").c_str()), static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT));

    EXPECT_EQ(DeleteInstalledFiles(progress), 1);
    EXPECT_EQ(RemoveInstallDirectories(progress), 1);
    CloseActionLog();
    EXPECT_EQ(Existing(deleted), Paths());
    EXPECT_EQ(Existing(behind), behind);
    EXPECT_EQ(Existing(links), links);
    const std::vector<std::string> lines = Lines(log);
    for (const char* kept : {"File kept (reached through a link): A\\B\\BIN\\B1.EXE",
                             "File kept (reached through a link): A\\B\\BIN\\B2.EXE",
                             "File kept (reached through a link): A\\B\\HELP\\EN\\H1.HLP",
                             "File kept (reached through a link): A\\B\\HELP\\EN\\WINHELP.EXE",
                             "File kept (reached through a link): A\\B\\LINK.DLL",
                             "Directory not emptied (reached through a link): A\\B\\SPOOL",
                             "Directory kept (reached through a link): A\\B\\SPOOL",
                             "Directory kept (reached through a link): A\\B\\BIN",
                             "Directory kept (reached through a link): A\\B\\HELP\\EN",
                             "Directory kept (reached through a link): A\\B\\EMPTY", "File deleted: A\\B\\A.TXT"}) {
        std::string line = kept;
        line.insert(line.find(": ") + 2, kRoot + "\\");
        EXPECT_TRUE(HasLine(lines, line)) << line;
    }
}

// The install directory itself a link to the package's folder: nothing in
// it goes, and nothing is left for the next start of Windows, neither in the
// system's list nor in winstart.bat.
TEST_F(Removal, AnInstallDirectoryThatIsALinkLosesNothing)
{
    const std::string linked = kRoot + "\\A\\LINKED";
    MakeLink(linked, "B");
    LoadLog("2=DATA\r\n3=SUB\r\n4=WINDOWS\r\n5=SYSTEM\r\n",
            "A.TXT,1,,0,1,N\r\nD.DAT,2,,0,1,N\r\nQVSETUP.INF,1,,0,1,N\r\nQORDELET.EXE,1,,0,1,N\r\n");
    const Paths kept = {"A\\B\\A.TXT", "A\\B\\DATA\\D.DAT", "A\\B\\DATA\\SPOOLED.SPL", "A\\B\\SUB\\",
                        "A\\B\\spooler.que", "A\\B\\VORNPRNT.DLL", "A\\B\\QORDELET.EXE", "A\\B\\QVSETUP.INF"};
    for (const std::string& f : kept)
        MakeFile(kRoot + "\\" + f);
    lstrcpynA(g_config.InstallDir, linked.c_str(), sizeof g_config.InstallDir);
    g_config.SystemDirKind = kSystemDirElsewhere;
    const std::string log = kRoot + "\\removal.log";
    ASSERT_TRUE(OpenActionLog(log.c_str()));

    DeleteInstalledFiles(progress);
    RemoveInstallDirectories(progress);
    DeleteDeferredSetupLog();
    SetCurrentDirectoryA("C:\\");
    QueueRestartDeletions();
    WriteDeferredDeletionBatch();
    CloseActionLog();
    EXPECT_EQ(Existing(kept), kept);
    EXPECT_TRUE(FileExists(linked));
    EXPECT_FALSE(FileExists(batch));
    char pending[4096] = "";
    DWORD size = sizeof pending;
    RegGetValueA(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Control\\Session Manager",
                 "PendingFileRenameOperations", RRF_RT_REG_MULTI_SZ, nullptr, pending, &size);
    for (const char* p = pending; *p; p += lstrlenA(p) + 1)
        EXPECT_EQ(std::string(p).find("LINKED"), std::string::npos) << p;
    const std::vector<std::string> lines = Lines(log);
    for (const std::string& line : {"File kept (reached through a link): " + linked + "\\A.TXT",
                                    "File kept (reached through a link): " + linked + "\\DATA\\D.DAT",
                                    "Directory not emptied (reached through a link): " + linked + "\\DATA",
                                    "Directory kept (reached through a link): " + linked + "\\SUB",
                                    "File kept (reached through a link): " + linked + "\\QVSETUP.INF",
                                    "Not queued for the next start of Windows (reached through a link): " + linked +
                                        "\\QORDELET.EXE",
                                    "Not queued for the next start of Windows (reached through a link): " + linked})
        EXPECT_TRUE(HasLine(lines, line)) << line;
}

// The system's list of what to delete at the next start, as one text;
// put back as it was by the test.
std::string PendingDeletions()
{
    char pending[8192] = "";
    DWORD size = sizeof pending;
    if (RegGetValueA(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Control\\Session Manager",
                     "PendingFileRenameOperations", RRF_RT_REG_MULTI_SZ, nullptr, pending, &size) != 0)
        return "";
    // Pairs of a path and its new name, empty for a deletion: the list ends
    // at its size, not at the first empty string.
    std::string text;
    for (DWORD at = 0; at + 1 < size; at += lstrlenA(pending + at) + 1)
        text += std::string(pending + at) + "|";
    return text;
}

void SetPendingDeletions(std::string text)
{
    for (char& c : text)
        c = c == '|' ? '\0' : c;
    text += '\0';
    HKEY key;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Control\\Session Manager", 0,
                            KEY_SET_VALUE, &key), 0);
    if (text.size() == 1)
        RegDeleteValueA(key, "PendingFileRenameOperations");
    else
        RegSetValueExA(key, "PendingFileRenameOperations", 0, REG_MULTI_SZ,
                       reinterpret_cast<const BYTE*>(text.data()), static_cast<DWORD>(text.size()));
    RegCloseKey(key);
}

// Files that another program holds open wait for the next start of Windows,
// in the system's list on NT and in the batch on the Windows 95 family, and
// the folders that hold them after them; the batch run later deletes them
// and ends with its own last line. Nothing waits when nothing is in use.
TEST_F(Removal, FilesInUseWaitForTheNextStartOfWindows)
{
    const std::string log = kRoot + "\\removal.log";
    LoadLog("2=DATA\r\n3=DATA\\DEEP\r\n4=WINDOWS\r\n5=SYSTEM\r\n",
            "A.TXT,1,,0,1,N\r\nBUSY.DAT,3,,0,1,N\r\nQ44PCL.DRV,5,,0,1,N\r\n");
    const Paths busy = {"A\\B\\DATA\\DEEP\\BUSY.DAT", "WIN\\SYSTEM\\Q44PCL.DRV"};
    MakeFile(pkg + "\\A.TXT");
    std::vector<HANDLE> held;
    for (const std::string& f : busy) {
        MakeFile(kRoot + "\\" + f);
        // Open as a running program holds its files: no one may delete them.
        held.push_back(CreateFileA((kRoot + "\\" + f).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                   OPEN_EXISTING, 0, nullptr));
        ASSERT_NE(held.back(), INVALID_HANDLE_VALUE) << f;
    }
    ASSERT_TRUE(OpenActionLog(log.c_str()));
    EXPECT_EQ(DeleteInstalledFiles(progress), 1);
    EXPECT_EQ(RemoveInstallDirectories(progress), 1);
    SetCurrentDirectoryA("C:\\");
    // Cleared as ever: the completion page lists no PCL driver.
    EXPECT_EQ(std::make_tuple(g_remains.waiting, g_remains.left, g_pclFlag), std::make_tuple(2, 0, 0));
    EXPECT_EQ(Existing({"A\\B\\A.TXT"}), Paths());

    const std::string before = PendingDeletions();
    g_config.SystemDirKind = kSystemDirElsewhere;
    QueueRestartDeletions();
    const std::string queued = PendingDeletions();
    SetPendingDeletions(before);
    // Each path queued is followed by an empty target: deleted, not moved.
    std::string ours;
    for (const std::string& p : {kRoot + "\\" + busy[0], kRoot + "\\" + busy[1], pkg + "\\DATA\\DEEP",
                                 pkg + "\\DATA", pkg})
        ours += "\\??\\" + p + "||";
    EXPECT_NE(queued.find(ours), std::string::npos) << queued;

    g_config.SystemDirKind = kSystemDirIsWindowsSystem;
    WriteDeferredDeletionBatch();
    CloseActionLog();
    // The folders' lines are checked by their text: wine's cmd finds "." in
    // an empty directory, and so never removes one.
    const std::string text = Read(batch), own = "del " + batch;
    std::string lines;
    for (const std::string& f : busy)
        lines += "if exist " + kRoot + "\\" + f + " del " + kRoot + "\\" + f + "\r\n";
    for (const std::string& d : {pkg + "\\DATA\\DEEP", pkg + "\\DATA", pkg})
        lines += "if not exist " + d + "\\*.* rmdir " + d + "\r\n";
    EXPECT_EQ(text, head.substr(0, head.rfind("if not exist")) + lines + own);
    for (HANDLE h : held)
        CloseHandle(h);
    RunBatch();
    EXPECT_EQ(Existing(busy), Paths());
    EXPECT_TRUE(HasLine(Lines(log), "File in use, to be deleted at the next start of Windows: " + kRoot + "\\" + busy[0]));
}

TEST_F(Removal, BatchCasesAAndBRunByCmdDeleteTheFilesAndThemselves)
{
    // Case A: no winstart.bat. Case B: a block of an earlier run, in other
    // letter case, after a line of the user's, with or without only line
    // ends after it: they go with it, more of them than the new block adds.
    // The rmdir line is checked by its text: wine's cmd finds "." in an
    // empty directory.
    const std::string earlier = "rem user\r\n" + head + "DEL C:\\QORTEST_REMOVAL\\WIN\\WINSTART.BAT";
    std::string lineEnds;
    for (int i = 0; i < 150; ++i)
        lineEnds += "\r\n";
    for (const std::string& before : {std::string(), earlier, earlier + lineEnds}) {
        if (!before.empty())
            MakeFile(batch, before);
        WriteDeferredDeletionBatch();
        EXPECT_EQ(Read(batch), before.substr(0, before.rfind("DEL")) + head + "del " + batch);
        RunBatch();
        EXPECT_FALSE(FileExists(batch)) << before.size();
    }
}

TEST_F(Removal, BatchCaseCRunsTheUsersBatchOnceAndNeverLosesIt)
{
    // The user's last line merely begins with the batch's own last line.
    const std::string users = "@echo off\r\necho ran>>" + kRoot + "\\ran.txt\r\ndel " + batch + ".old\r\n";
    MakeFile(batch, users);
    WriteDeferredDeletionBatch();
    EXPECT_EQ(OldAndBatch(), std::make_pair(users, Wrap(old)));
    // Written again before a restart: the wrapper is extended, not wrapped in
    // turn (which would restore the old wrapper over the user's batch).
    WriteDeferredDeletionBatch();
    EXPECT_EQ(OldAndBatch(), std::make_pair(users, head + Wrap(old)));
    EXPECT_FALSE(FileExists(win + "\\oldstar1.bat"));
    // Run as a copy: wine's cmd keeps the running batch open and would refuse
    // the final move over it, which Windows 95's interpreter makes. The
    // user's batch runs once and is winstart.bat again.
    const std::string copy = kRoot + "\\run.bat";
    ASSERT_TRUE(CopyFileA(batch.c_str(), copy.c_str(), FALSE));
    RunBatch(copy);
    EXPECT_EQ(Read(kRoot + "\\ran.txt"), "ran\r\n");
    EXPECT_EQ(OldAndBatch(), std::make_pair(std::string("<missing>"), users));

    // Lines added after an earlier block's own last line are somebody else's:
    // the whole file is the user's batch, moved aside and run, never written over.
    DeleteFileA(old.c_str());
    std::string appended = head + "del " + batch + "\r\n";
    for (int i = 0; i < 8; ++i)
        appended += "echo line " + std::to_string(i) + " of another program>> C:\\other.txt\r\n";
    MakeFile(batch, appended);
    WriteDeferredDeletionBatch();
    EXPECT_EQ(OldAndBatch(), std::make_pair(appended, Wrap(old)));
}

TEST_F(Removal, BatchCaseCWithOldstartTakenNeverTruncatesTheUsersBatch)
{
    const std::string second = win + "\\oldstar2.bat";
    MakeFile(old, "rem somebody else's\r\n");
    MakeFile(win + "\\oldstar1.bat", "rem taken\r\n");
    MakeFile(batch, "echo mine\r\n");
    WriteDeferredDeletionBatch();
    EXPECT_EQ(std::make_tuple(Read(second), Read(old), Read(batch)),
              std::make_tuple("echo mine\r\n", "rem somebody else's\r\n", Wrap(second)));
    // Every name taken: the user's winstart.bat stays exactly as it is.
    for (int i = 2; i <= 9; ++i)
        MakeFile(win + "\\oldstar" + std::to_string(i) + ".bat", "rem taken\r\n");
    MakeFile(batch, "echo mine\r\n");
    WriteDeferredDeletionBatch();
    EXPECT_EQ(Read(batch), "echo mine\r\n");
    // Names free, but the batch is open without delete sharing: not moved, not cut.
    DeleteFileA(old.c_str());
    HANDLE held = CreateFileA(batch.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    WriteDeferredDeletionBatch();
    CloseHandle(held);
    EXPECT_EQ(OldAndBatch(), std::make_pair(std::string("<missing>"), std::string("echo mine\r\n")));
    // The search through a file handle: LF alone ends no line ("remdel x"),
    // CR LF does, and an unterminated last line counts.
    MakeFile(old, "rem\ndel x\r\nDEL X");
    OFSTRUCT of = {};
    HFILE file = OpenFile(old.c_str(), &of, OF_READ);
    ASSERT_NE(file, HFILE_ERROR);
    EXPECT_EQ(FindLineInFile(file, "del x"), 16);
    _lclose(file);
}
