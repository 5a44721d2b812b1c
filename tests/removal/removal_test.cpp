// File and directory removal under wine: a real tree described by a real
// setup log, removed with a stand-in progress dialog that records its gauge.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "engine/removal.h"
#include "removal_support.h"
#include "setuplog/setuplog.h"
#include "shell/shell.h"

using namespace removaltest;

namespace {

const std::string kRoot = "C:\\qortest_removal";

class Removal : public ::testing::Test {
protected:
    std::string pkg, win, sys;

    void SetUp() override
    {
        RemoveTree(kRoot);
        UseInstallDir(kRoot + "\\PKG");
        win = kRoot + "\\WIN";
        sys = win + "\\SYSTEM";
        MakeDirs(sys);
        g_instance = GetModuleHandleA(nullptr);
        g_config = ConfigRecord();
        lstrcpynA(g_config.WindowsDir, win.c_str(), sizeof g_config.WindowsDir);
        lstrcpynA(g_config.SystemDir, sys.c_str(), sizeof g_config.SystemDir);
        lstrcpynA(g_config.InstallDir, pkg.c_str(), sizeof g_config.InstallDir);
        g_config.SystemDirKind = kSystemDirIsWindowsSystem;
        g_pclFlag = g_postScriptFlag = g_monitorFlag = 1;
    }
    void TearDown() override
    {
        SetCurrentDirectoryA("C:\\");
        RemoveTree(kRoot);
        g_pclFlag = g_postScriptFlag = g_monitorFlag = 1;
    }
    void UseInstallDir(const std::string& dir)
    {
        pkg = dir;
        MakeDirs(pkg);
        lstrcpynA(g_config.InstallDir, pkg.c_str(), sizeof g_config.InstallDir);
    }
    void LoadLog(const std::string& dirs, const std::string& files)
    {
        std::string path = pkg + "\\QVSETUP.INF";
        ASSERT_TRUE(winsupport::WriteFileText(
            path, "[Application]\r\nAppName=QOR Test\r\n[Dirs]\r\n" + dirs + "[Files]\r\n" + files +
                      "[End]\r\n"));
        std::vector<char> text(path.begin(), path.end());
        text.push_back('\0');
        ASSERT_EQ(SetupLogQuery(kLoadLog, 0, text.data()), 0);
    }
};

GaugeEvent Range(int value, const std::string& item)
{
    return {WM_USER, value, item};
}
GaugeEvent Position(int value, const std::string& item)
{
    return {WM_USER + 2, value, item};
}

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
            "QOR4400.DRV,10,,0,1,N\r\n"   // 5 deleted
            "VORNWPSD.EXE,1,,0,1,N\r\n"   // 6 in use: monitor flag cleared
            "..\\OUT.TXT,1,,0,1,N\r\n"    // 7 unsafe name
            "EVIL.TXT,6,,0,1,N\r\n"       // 8 unsafe directory
            "ORPHAN.TXT,42,,0,1,N\r\n"    // 9 no such directory entry
            "F.FON,5,,0,1,N\r\n"          // 10 deleted
            "DEEP.TXT,4,,0,1,N\r\n"       // 11 deleted
            "W.DLL,9,,0,1,N\r\n"          // 12 deleted
            "MISSING.DLL,10,,0,1,N\r\n");  // 13 not there: the gauge moves anyway
    const std::vector<std::string> deleted = {
        pkg + "\\A.TXT",         pkg + "\\DATA\\D1.DAT",   pkg + "\\DATA\\EXTRA.BIN",
        sys + "\\QOR4400.DRV",   pkg + "\\TTFONTS\\F.FON", pkg + "\\SUB\\DEEP\\DEEP.TXT",
        win + "\\W.DLL",         pkg + "\\spooler.que",    sys + "\\VORNPRNT.DLL",
        sys + "\\VORNGDI.DRV",   win + "\\VORNPRNT.DLL",   pkg + "\\VORNPRNT.DLL"};
    const std::vector<std::string> kept = {
        pkg + "\\QORDELET.EXE",       sys + "\\hppcl5ms.drv",    sys + "\\Q44PCL.DRV",
        pkg + "\\VORNWPSD.EXE",       kRoot + "\\OUT.TXT",       kRoot + "\\OUTSIDE\\EVIL.TXT",
        pkg + "\\ORPHAN.TXT",         win + "\\ORPHAN.TXT",      sys + "\\ORPHAN.TXT",
        pkg + "\\KEEP\\ORPHAN.TXT",   pkg + "\\KEEP\\USER.DOC",  pkg + "\\QVSETUP.INF"};
    for (const std::string& f : deleted)
        MakeFile(f);
    for (const std::string& f : kept)
        MakeFile(f);
    for (const char* d : {"\\WINDOWS", "\\SYSTEM", "\\SUB\\DEEP"})
        MakeDirs(pkg + d);
    MakeDirs(kRoot + "\\EMPTYOUT");
    SetFileAttributesA((sys + "\\Q44PCL.DRV").c_str(), FILE_ATTRIBUTE_READONLY);
    HANDLE inUse = CreateFileA((pkg + "\\VORNWPSD.EXE").c_str(), GENERIC_READ, FILE_SHARE_READ,
                               nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(inUse, INVALID_HANDLE_VALUE);

    StandInProgress progress;
    EXPECT_EQ(DeleteInstalledFiles(progress.window), 1);
    CloseHandle(inUse);
    EXPECT_EQ(progress.Line(103), "Deleting files...");
    EXPECT_EQ(progress.Line(104), "MISSING.DLL");

    std::vector<GaugeEvent> expected = {Position(0, ""), Range(14, "")};
    const struct {
        int index;
        const char* name;
    } walked[] = {{0, "A.TXT"},        {1, "D1.DAT"}, {4, "Q44PCL.DRV"}, {5, "QOR4400.DRV"},
                  {6, "VORNWPSD.EXE"}, {10, "F.FON"}, {11, "DEEP.TXT"},  {12, "W.DLL"},
                  {13, "MISSING.DLL"}};
    for (const auto& w : walked) {
        expected.push_back(Position(w.index, w.name));
        expected.push_back(Position(w.index + 1, w.name));
    }
    EXPECT_EQ(GaugeLog(), expected);
    EXPECT_EQ(g_pclFlag, 0);
    EXPECT_EQ(g_postScriptFlag, 1);
    EXPECT_EQ(g_monitorFlag, 0);
    for (const std::string& f : deleted)
        EXPECT_FALSE(Exists(f)) << f;
    for (const std::string& f : kept)
        EXPECT_TRUE(Exists(f)) << f;

    GaugeLog().clear();
    EXPECT_EQ(RemoveInstallDirectories(progress.window), 1);
    EXPECT_EQ(progress.Line(103), "Deleting destination directory tree...");
    // Entries 1 to 7 of ten; the font directory is never named, the two
    // unsafe entries are passed over like skipped files.
    expected = {Position(0, "MISSING.DLL"), Range(8, "MISSING.DLL"), Position(1, pkg),
                Position(2, pkg + "\\DATA"),       Position(3, pkg + "\\SUB"),
                Position(4, pkg + "\\SUB\\DEEP"),  Position(5, pkg + "\\SUB\\DEEP"),
                Position(8, pkg + "\\KEEP")};
    EXPECT_EQ(GaugeLog(), expected);
    EXPECT_FALSE(Exists(pkg + "\\DATA"));
    EXPECT_FALSE(Exists(pkg + "\\SUB\\DEEP"));
    EXPECT_FALSE(Exists(pkg + "\\TTFONTS"));
    // SUB still held DEEP when its turn came; KEEP holds the user's file.
    EXPECT_TRUE(Exists(pkg + "\\SUB"));
    EXPECT_TRUE(Exists(pkg + "\\KEEP"));
    EXPECT_TRUE(Exists(kRoot + "\\EMPTYOUT"));
    // Entry 0 and the last two entries are never removed.
    EXPECT_TRUE(Exists(pkg + "\\WINDOWS"));
    EXPECT_TRUE(Exists(pkg + "\\SYSTEM"));
    char current[MAX_PATH];
    GetCurrentDirectoryA(sizeof current, current);
    EXPECT_EQ(lstrcmpiA(current, pkg.c_str()), 0) << current;
}

TEST_F(Removal, SystemFilesGoToTheWindowsDirectoryOnWindowsNt)
{
    g_config.SystemDirKind = kSystemDirElsewhere;
    LoadLog("1=.\r\n2=System\r\n", "S.DLL,2,,0,1,N\r\n");
    MakeFile(win + "\\S.DLL");
    MakeFile(sys + "\\S.DLL");
    StandInProgress progress;
    EXPECT_EQ(DeleteInstalledFiles(progress.window), 1);
    EXPECT_FALSE(Exists(win + "\\S.DLL"));
    EXPECT_TRUE(Exists(sys + "\\S.DLL"));
}

TEST_F(Removal, AnEmptyLogStillDeletesTheFixedFiles)
{
    LoadLog("", "");
    MakeFile(pkg + "\\spooler.que");
    MakeFile(win + "\\VORNPRNT.DLL");
    StandInProgress progress;
    DWORD start = GetTickCount();
    EXPECT_EQ(DeleteInstalledFiles(progress.window), 1);
    EXPECT_GE(GetTickCount() - start, 1000u);  // the pause with the final gauge
    EXPECT_EQ(GaugeLog(), (std::vector<GaugeEvent>{Position(0, ""), Range(0, "")}));
    EXPECT_EQ(progress.Line(104), "");
    EXPECT_FALSE(Exists(pkg + "\\spooler.que"));
    EXPECT_FALSE(Exists(win + "\\VORNPRNT.DLL"));

    // No directory entries: range -2, position 1 all the same.
    GaugeLog().clear();
    EXPECT_EQ(RemoveInstallDirectories(progress.window), 1);
    EXPECT_EQ(GaugeLog(),
              (std::vector<GaugeEvent>{Position(0, ""), Range(-2, ""), Position(1, pkg)}));
}

TEST_F(Removal, TheSecondDirectoryEntryNeverEmptiesAPlaceOutsideTheInstallDirectory)
{
    UseInstallDir(kRoot + "\\A\\B");
    const char* hostile[] = {"..\\..", "..", "../..", "C:\\qortest_removal", "\\qortest_removal",
                             "C:"};
    for (const char* name : hostile) {
        MakeFile(kRoot + "\\VICTIM.TXT");
        MakeFile(kRoot + "\\A\\VICTIM.TXT");
        MakeFile(pkg + "\\INSIDE.TXT");
        LoadLog(std::string("1=.\r\n2=") + name + "\r\n3=WINDOWS\r\n", "");
        StandInProgress progress;
        DeleteInstalledFiles(progress.window);
        EXPECT_TRUE(Exists(kRoot + "\\VICTIM.TXT")) << name;
        EXPECT_TRUE(Exists(kRoot + "\\A\\VICTIM.TXT")) << name;
        EXPECT_TRUE(Exists(pkg + "\\INSIDE.TXT")) << name;
    }
    // "." is the install directory itself, and that is emptied.
    LoadLog("1=.\r\n2=.\r\n3=WINDOWS\r\n", "");
    StandInProgress progress;
    DeleteInstalledFiles(progress.window);
    EXPECT_FALSE(Exists(pkg + "\\INSIDE.TXT"));
    EXPECT_FALSE(Exists(pkg + "\\QVSETUP.INF"));
    EXPECT_TRUE(Exists(kRoot + "\\A\\VICTIM.TXT"));
}

TEST_F(Removal, EmptyingADirectoryDeletesOnlyItsPlainFiles)
{
    std::string dir = kRoot + "\\FLAT";
    for (const char* f : {"\\ONE.TXT", "\\TWO", "\\.DOTFILE", "\\RO.TXT", "\\NESTED\\IN.TXT"})
        MakeFile(dir + f);
    SetFileAttributesA((dir + "\\RO.TXT").c_str(), FILE_ATTRIBUTE_READONLY);
    DeleteFilesInDirectory(dir.c_str());
    EXPECT_FALSE(Exists(dir + "\\ONE.TXT"));
    EXPECT_FALSE(Exists(dir + "\\TWO"));
    EXPECT_FALSE(Exists(dir + "\\.DOTFILE"));
    EXPECT_TRUE(Exists(dir + "\\RO.TXT"));
    EXPECT_TRUE(Exists(dir + "\\NESTED\\IN.TXT"));

    // A found path beyond 99 characters is passed over, never cut.
    std::string deep = kRoot + "\\" + std::string(70, 'L');
    MakeFile(deep + "\\SHORT.TXT");
    MakeFile(deep + "\\" + std::string(40, 'N') + ".TXT");
    DeleteFilesInDirectory(deep.c_str());
    EXPECT_FALSE(Exists(deep + "\\SHORT.TXT"));
    EXPECT_TRUE(Exists(deep + "\\" + std::string(40, 'N') + ".TXT"));
    DeleteFilesInDirectory((kRoot + "\\NOWHERE").c_str());  // a missing directory: nothing
}

TEST_F(Removal, AMissingInstallDirectoryFailsTheDirectoryPhase)
{
    LoadLog("1=.\r\n2=DATA\r\n3=WINDOWS\r\n4=SYSTEM\r\n", "");
    std::string gone = kRoot + "\\GONE";
    lstrcpynA(g_config.InstallDir, gone.c_str(), sizeof g_config.InstallDir);
    StandInProgress progress;
    EXPECT_EQ(RemoveInstallDirectories(progress.window), 0);
    EXPECT_EQ(GaugeLog(), (std::vector<GaugeEvent>{Position(0, ""), Range(2, "")}));
    EXPECT_EQ(progress.Line(104), gone);
}
