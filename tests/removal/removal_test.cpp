// File and directory removal under wine: a real tree described by a real
// setup log, removed with a stand-in progress dialog whose "Percent" control
// records what it is sent; then the deferred-deletion batch, written in a
// Windows directory of the test's own and run by wine's cmd.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "engine/removal.h"
#include "engine/removal_win32.h"
#include "setuplog/setuplog.h"
#include "shell/shell.h"
#include "support/winsupport.h"

using winsupport::FileExists;
using winsupport::WindowText;

namespace {

const std::string kRoot = "C:\\qortest_removal";
const std::string kBatchHead =
    "@echo off\r\n"
    "if exist C:\\qortest_removal\\A\\B\\QORDELET.EXE "
    "del C:\\qortest_removal\\A\\B\\QORDELET.EXE\r\n"
    "if exist gauge32.dll del gauge32.dll\r\n"
    "if exist qvwpd.exe del qvwpd.exe\r\n"
    "if not exist C:\\qortest_removal\\A\\B\\*.* rmdir C:\\qortest_removal\\A\\B\r\n";

// Creates the directories on the way, then the file unless `path` ends in "\".
void MakeFile(const std::string& path, const std::string& text = "x")
{
    for (std::size_t at = path.find('\\', 3); at != std::string::npos; at = path.find('\\', at + 1))
        CreateDirectoryA(path.substr(0, at).c_str(), nullptr);
    if (path.back() != '\\')
        winsupport::WriteFileText(path, text);
}

std::string Read(const std::string& path)
{
    std::string text;
    return winsupport::ReadFileText(path, &text) ? text : "<missing>";
}

// Removes the scratch tree, read-only files included.
void RemoveTree()
{
    winsupport::Process cmd("cmd /c rmdir /s /q " + kRoot);
    cmd.WaitExit(30000);
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

// A window with the progress dialog's two lines and a recording gauge.
HWND MakeStandInProgress()
{
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA gauge = {};
    gauge.lpfnWndProc = RecordingGauge;
    gauge.hInstance = instance;
    gauge.lpszClassName = "Percent";
    RegisterClassA(&gauge);  // fails harmlessly the second time
    HWND window = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 400, 150, nullptr, nullptr,
                                  instance, nullptr);
    const char* classes[] = {"STATIC", "STATIC", "Percent"};
    const int ids[] = {kOperationLine, kItemLine, kGaugeControl};
    for (int i = 0; i < 3; ++i)
        CreateWindowExA(0, classes[i], "", WS_CHILD, 0, 20 * i, 300, 16, window,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(ids[i])), instance, nullptr);
    return window;
}

class Removal : public ::testing::Test {
protected:
    std::string pkg = kRoot + "\\A\\B", win = kRoot + "\\WIN", sys = win + "\\SYSTEM";
    std::string batch = win + "\\winstart.bat", old = win + "\\oldstart.bat";
    HWND progress = nullptr;

    void SetUp() override
    {
        RemoveTree();
        MakeFile(sys + "\\");
        MakeFile(pkg + "\\");
        lstrcpynA(g_config.InstallDir, pkg.c_str(), sizeof g_config.InstallDir);
        g_instance = GetModuleHandleA(nullptr);
        lstrcpynA(g_config.WindowsDir, win.c_str(), sizeof g_config.WindowsDir);
        lstrcpynA(g_config.SystemDir, sys.c_str(), sizeof g_config.SystemDir);
        g_config.SystemDirKind = kSystemDirIsWindowsSystem;
        g_pclFlag = g_postScriptFlag = g_monitorFlag = 1;
        progress = MakeStandInProgress();
        g_gauge.clear();
    }
    void TearDown() override
    {
        DestroyWindow(progress);
        SetCurrentDirectoryA("C:\\");
        RemoveTree();
        DeleteFileA("C:\\gauge32.dll");
        DeleteFileA("C:\\qvwpd.exe");
    }
    void LoadLog(const std::string& dirs, const std::string& files)
    {
        std::string path = pkg + "\\QVSETUP.INF";
        ASSERT_TRUE(winsupport::WriteFileText(
            path, "[Application]\r\nAppName=QOR Test\r\n[Dirs]\r\n" + dirs + "[Files]\r\n" +
                      files + "[End]\r\n"));
        std::vector<char> text(path.begin(), path.end() + 1);
        ASSERT_EQ(SetupLogQuery(kLoadLog, 0, text.data()), 0);
    }
    // Runs winstart.bat with wine's cmd from C:\, where the uninstaller's
    // helpers are found, and checks that the three files went.
    void RunBatch()
    {
        const std::string files[] = {pkg + "\\QORDELET.EXE", "C:\\gauge32.dll", "C:\\qvwpd.exe"};
        for (const std::string& f : files)
            MakeFile(f);
        SetCurrentDirectoryA("C:\\");
        winsupport::Process cmd("cmd /c " + batch);
        ASSERT_TRUE(cmd.started);
        EXPECT_NE(cmd.WaitExit(30000), -1);
        for (const std::string& f : files)
            EXPECT_FALSE(FileExists(f)) << f;
    }
    std::string WrapLines(const std::string& oldBatch) const
    {
        return "call " + oldBatch + "\r\nmove /y " + oldBatch + " " + batch;
    }
};

}  // namespace

TEST_F(Removal, RemovesWhatTheLogRecordsAndNothingElse)
{
    LoadLog("1=.\r\n2=DATA\r\n3=SUB\r\n4=SUB\\DEEP\r\n5=TTFONTS\r\n6=..\\OUTSIDE\r\n"
            "7=..\\EMPTYOUT\r\n8=KEEP\r\n9=WINDOWS\r\n10=SYSTEM\r\n",
            "A.TXT,1,,0,1,N\r\n"          // 0 deleted
            "D1.DAT,2,,0,1,N\r\n"         // 1 deleted
            "QORDELET.EXE,1,,0,1,N\r\n"   // 2 skipped: the batch deletes it
            "hppcl5ms.drv,10,,0,1,N\r\n"  // 3 skipped: Windows' own driver
            "Q44PCL.DRV,10,,0,1,N\r\n"    // 4 read-only: PCL flag cleared
            "QOR4400.DRV,43,,0,1,N\r\n"   // 5 no such directory: PostScript flag cleared
            "VORNWPSD.EXE,1,,0,1,N\r\n"   // 6 deleted
            "..\\OUT.TXT,1,,0,1,N\r\n"    // 7 unsafe name
            "EVIL.TXT,6,,0,1,N\r\n"       // 8 unsafe directory
            "ORPHAN.TXT,42,,0,1,N\r\n"    // 9 no such directory entry
            "F.FON,5,,0,1,N\r\n"          // 10 deleted
            "DEEP.TXT,4,,0,1,N\r\n"       // 11 deleted
            "MISSING.DLL,10,,0,1,N\r\n");  // 12 not there: the gauge moves anyway
    // The second entry's directory is emptied of its plain files, long
    // names included.
    const std::string longName = pkg + "\\DATA\\" + std::string(150, 'N');
    const std::vector<std::string> deleted = {
        pkg + "\\A.TXT",         pkg + "\\DATA\\D1.DAT",   pkg + "\\DATA\\EXTRA.BIN",
        pkg + "\\DATA\\.DOTFILE",   longName,
        pkg + "\\VORNWPSD.EXE",  pkg + "\\TTFONTS\\F.FON", pkg + "\\SUB\\DEEP\\DEEP.TXT",
        pkg + "\\spooler.que",    sys + "\\VORNPRNT.DLL",
        sys + "\\VORNGDI.DRV",   win + "\\VORNPRNT.DLL",   pkg + "\\VORNPRNT.DLL"};
    const std::vector<std::string> kept = {
        pkg + "\\QORDELET.EXE",       sys + "\\hppcl5ms.drv",    sys + "\\Q44PCL.DRV",
        sys + "\\QOR4400.DRV",        pkg + "\\..\\OUT.TXT",     pkg + "\\..\\OUTSIDE\\EVIL.TXT",
        pkg + "\\ORPHAN.TXT",         win + "\\ORPHAN.TXT",      sys + "\\ORPHAN.TXT",
        pkg + "\\KEEP\\ORPHAN.TXT",   pkg + "\\KEEP\\USER.DOC",  pkg + "\\QVSETUP.INF",
        pkg + "\\DATA\\RO.TXT",     pkg + "\\DATA\\SUB\\IN.TXT"};
    for (const auto* list : {&deleted, &kept})
        for (const std::string& f : *list)
            MakeFile(f);
    for (const std::string& d : {pkg + "\\WINDOWS\\", pkg + "\\SYSTEM\\", pkg + "\\..\\EMPTYOUT\\"})
        MakeFile(d);
    for (const std::string& f : {sys + "\\Q44PCL.DRV", pkg + "\\DATA\\RO.TXT"})
        SetFileAttributesA(f.c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(DeleteInstalledFiles(progress), 1);
    HWND operation = GetDlgItem(progress, kOperationLine);
    EXPECT_EQ(WindowText(operation), "Deleting files...");
    std::vector<Step> expected = {{'p', 0, ""}, {'r', 13, ""}};
    const std::pair<int, const char*> walked[] = {
        {0, "A.TXT"},  {1, "D1.DAT"},   {4, "Q44PCL.DRV"}, {6, "VORNWPSD.EXE"},
        {10, "F.FON"}, {11, "DEEP.TXT"}, {12, "MISSING.DLL"}};
    for (const auto& w : walked) {
        expected.push_back({'p', w.first, w.second});
        expected.push_back({'p', w.first + 1, w.second});
    }
    EXPECT_EQ(g_gauge, expected);
    EXPECT_EQ(std::make_tuple(g_pclFlag, g_postScriptFlag, g_monitorFlag),
              std::make_tuple(0, 0, 1));
    for (const std::string& f : deleted)
        EXPECT_FALSE(FileExists(f)) << f;
    for (const std::string& f : kept)
        EXPECT_TRUE(FileExists(f)) << f;

    g_gauge.clear();
    EXPECT_EQ(RemoveInstallDirectories(progress), 1);
    EXPECT_EQ(WindowText(operation), "Deleting destination directory tree...");
    // Entries 1 to 7 of ten; the font directory is never named, the two
    // unsafe entries are passed over like skipped files.
    expected = {{'p', 0, "MISSING.DLL"},        {'r', 8, "MISSING.DLL"},
                {'p', 1, pkg},                  {'p', 2, pkg + "\\DATA"},
                {'p', 3, pkg + "\\SUB"},         {'p', 4, pkg + "\\SUB\\DEEP"},
                {'p', 5, pkg + "\\SUB\\DEEP"},   {'p', 8, pkg + "\\KEEP"}};
    EXPECT_EQ(g_gauge, expected);
    for (const char* gone : {"\\SUB\\DEEP", "\\TTFONTS"})
        EXPECT_FALSE(FileExists(pkg + gone)) << gone;
    // SUB still held DEEP when its turn came, DATA and KEEP hold what is not
    // deleted; entry 0 and the last two entries are never removed.
    for (const char* stays :
         {"\\DATA", "\\SUB", "\\KEEP", "\\WINDOWS", "\\SYSTEM", "\\..\\EMPTYOUT"})
        EXPECT_TRUE(FileExists(pkg + stays)) << stays;
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
    const std::string victims[] = {kRoot + "\\VICTIM.TXT", kRoot + "\\A\\VICTIM.TXT",
                                   win + "\\WIN.INI", win + "\\spooler.que", sys + "\\USER.DLL",
                                   win + "\\SPOOL\\JOB.SPL"};
    const struct {
        std::string installDir;
        const char* dirs;
    } rows[] = {
        {pkg, "1=.\r\n2=..\\..\r\n3=WINDOWS\r\n4=SYSTEM\r\n"},
        {pkg, "1=.\r\n2=C:\\qortest_removal\r\n3=WINDOWS\r\n4=SYSTEM\r\n"},
        {kRoot, "1=.\r\n2=WIN\r\n3=SYSTEM\r\n"},             // a package without folders
        {win, "1=.\r\n2=SYSTEM\r\n3=x\r\n4=WINDOWS\r\n5=SYSTEM\r\n"},
        {win, "1=.\r\n2=SPOOL\r\n3=x\r\n4=WINDOWS\r\n5=SYSTEM\r\n"},  // Windows' own folder
        {kRoot, "1=.\r\n2=WIN\r\n3=WIN\\SYSTEM\r\n4=WINDOWS\r\n5=SYSTEM\r\n"},
        {kRoot, "1=.\r\n2=win.\r\n3=x\r\n4=WINDOWS\r\n5=SYSTEM\r\n"},
    };
    for (const auto& row : rows) {
        for (const std::string& f : victims)
            MakeFile(f);
        lstrcpynA(g_config.InstallDir, row.installDir.c_str(), sizeof g_config.InstallDir);
        LoadLog(row.dirs, "LISTED.DLL,4,,0,1,N\r\n");
        MakeFile(sys + "\\LISTED.DLL");
        DeleteInstalledFiles(progress);
        RemoveInstallDirectories(progress);
        for (const std::string& f : victims)
            EXPECT_TRUE(FileExists(f)) << row.installDir << " " << row.dirs << ": " << f;
        SetCurrentDirectoryA("C:\\");
    }
}

TEST_F(Removal, BatchCasesAAndBRunByCmdDeleteTheFilesAndThemselves)
{
    // Case A: no winstart.bat. Case B: a block of an earlier run, in other
    // letter case, after a line of the user's. The rmdir line is checked by
    // its text: wine's cmd finds "." in an empty directory.
    const std::string earlier =
        "rem user\r\n" + kBatchHead + "DEL C:\\QORTEST_REMOVAL\\WIN\\WINSTART.BAT";
    for (const std::string& before : {std::string(), earlier, earlier + "\r\n\r\n"}) {
        if (!before.empty())
            MakeFile(batch, before);
        WriteDeferredDeletionBatch();
        // Only line ends after the own last line: they go with it.
        EXPECT_EQ(Read(batch), before.substr(0, before.rfind("DEL")) + kBatchHead + "del " + batch);
        RunBatch();
        EXPECT_FALSE(FileExists(batch)) << before;
    }
}

TEST_F(Removal, BatchCaseCRunsTheUsersBatchOnceAndNeverLosesIt)
{
    // The user's last line merely begins with the batch's own last line.
    const std::string users =
        "@echo off\r\necho ran>>" + kRoot + "\\ran.txt\r\ndel " + batch + ".old\r\n";
    MakeFile(batch, users);
    WriteDeferredDeletionBatch();
    EXPECT_EQ(Read(old), users);
    EXPECT_EQ(Read(batch), kBatchHead + WrapLines(old));
    // Written again before a restart: the wrapper is extended, not wrapped in
    // turn (which would restore the old wrapper over the user's batch).
    WriteDeferredDeletionBatch();
    EXPECT_EQ(Read(old), users);
    EXPECT_EQ(Read(batch), kBatchHead + kBatchHead + WrapLines(old));
    EXPECT_FALSE(FileExists(win + "\\oldstar1.bat"));

    // Wine's cmd keeps the running batch open and refuses the final move
    // over it (checked above by its text); Windows 95's interpreter does it.
    RunBatch();
    EXPECT_EQ(Read(kRoot + "\\ran.txt"), "ran\r\n");
    EXPECT_TRUE(Read(old) == users || Read(batch) == users)
        << "winstart.bat: " << Read(batch) << "\noldstart.bat: " << Read(old);
}

// Lines added after an earlier block's own last line are somebody else's:
// the whole file is the user's batch, moved aside and run, never written over.
TEST_F(Removal, BatchWithLinesAfterAnEarlierBlockIsWrapped)
{
    std::string appended = kBatchHead + "del " + batch + "\r\n";
    for (int i = 0; i < 8; ++i)
        appended += "echo line " + std::to_string(i) + " of another program>> C:\\other.txt\r\n";
    MakeFile(batch, appended);
    WriteDeferredDeletionBatch();
    EXPECT_EQ(Read(old), appended);
    EXPECT_EQ(Read(batch), kBatchHead + WrapLines(old));
}

TEST_F(Removal, BatchCaseCWithOldstartTakenNeverTruncatesTheUsersBatch)
{
    MakeFile(old, "rem somebody else's\r\n");
    MakeFile(win + "\\oldstar1.bat", "rem taken\r\n");
    MakeFile(batch, "echo mine\r\n");
    WriteDeferredDeletionBatch();
    const std::string second = win + "\\oldstar2.bat";
    EXPECT_EQ(Read(second), "echo mine\r\n");
    EXPECT_EQ(Read(old), "rem somebody else's\r\n");
    EXPECT_EQ(Read(batch), kBatchHead + WrapLines(second));

    // Every name taken: the user's winstart.bat stays exactly as it is.
    for (int i = 2; i <= 9; ++i)
        MakeFile(win + "\\oldstar" + std::to_string(i) + ".bat", "rem taken\r\n");
    MakeFile(batch, "echo mine\r\n");
    WriteDeferredDeletionBatch();
    EXPECT_EQ(Read(batch), "echo mine\r\n");
    // Names free, but the batch is open without delete sharing: not moved, not cut.
    DeleteFileA(old.c_str());
    HANDLE held = CreateFileA(batch.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    WriteDeferredDeletionBatch();
    CloseHandle(held);
    EXPECT_EQ(Read(batch), "echo mine\r\n");
    EXPECT_FALSE(FileExists(old));

    // The search through a file handle: LF alone ends no line ("remdel x"),
    // CR LF does, and an unterminated last line counts.
    MakeFile(old, "rem\ndel x\r\nDEL X");
    OFSTRUCT of = {};
    HFILE file = OpenFile(old.c_str(), &of, OF_READ);
    ASSERT_NE(file, HFILE_ERROR);
    EXPECT_EQ(FindLineInFile(file, "del x"), 16);
    _lclose(file);
}
