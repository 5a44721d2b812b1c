// The uninstall sequence in-process under wine: every row of its failure
// table, what each failure left as it was, and a run that succeeds.
#include <gtest/gtest.h>

#include <windows.h>
#include <winspool.h>

#include <string>
#include <vector>

#include "ddeclient/ddeclient.h"
#include "engine/components.h"
#include "engine/engine.h"
#include "shell/shell.h"
#include "support/winsupport.h"

using namespace winsupport;

namespace {

const std::string kInstallDir = "C:\\QORSEQ";

struct Box {
    std::string text, caption;
};
std::vector<Box> g_boxes;

}  // namespace

// This test's own message box, linked in place of the program's.
int ShowMessageBox(HWND, const char* text, const char* caption, UINT)
{
    g_boxes.push_back({text, caption});
    return IDOK;
}

namespace {

const char kPrinter[] = "QOR Brackenfield 4400";
const char kKey[] = "Enum\\LPTENUM\\QORBRACKENFIELD_44001EEC";

// The package's PCL printer with its driver, and its Plug and Play key.
void AddPackagePrinterAndKey()
{
    DRIVER_INFO_3A driver = {};
    driver.cVersion = 3;
    driver.pName = const_cast<char*>(kPrinter);
    driver.pDriverPath = driver.pConfigFile = const_cast<char*>("wineps.drv");
    driver.pDataFile = const_cast<char*>("generic.ppd");
    AddPrinterDriverA(nullptr, 3, reinterpret_cast<BYTE*>(&driver));
    PRINTER_INFO_2A info = {};
    info.pPrinterName = info.pDriverName = const_cast<char*>(kPrinter);
    info.pPortName = const_cast<char*>("LPT1:");
    info.pPrintProcessor = const_cast<char*>("wineps");
    info.pDatatype = const_cast<char*>("RAW");
    if (HANDLE printer = AddPrinterA(nullptr, 2, reinterpret_cast<BYTE*>(&info)))
        ClosePrinter(printer);
    HKEY key;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, kKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) == 0)
        RegCloseKey(key);
}

bool PackagePrinterOrKeyLeft()
{
    HANDLE printer;
    HKEY key;
    bool printerLeft = OpenPrinterA(const_cast<char*>(kPrinter), &printer, nullptr) != 0;
    if (printerLeft)
        ClosePrinter(printer);
    bool keyLeft = RegOpenKeyExA(HKEY_LOCAL_MACHINE, kKey, 0, KEY_READ, &key) == 0;
    if (keyLeft)
        RegCloseKey(key);
    return printerLeft || keyLeft;
}

const char kLog[] =
    "[Application]\r\nAppName=QOR Brackenfield 4400 Series\r\n"
    "[Dirs]\r\n1=.\r\n2=DATA\r\n3=SUB\r\n4=WINDOWS\r\n5=SYSTEM\r\n"
    "[Files]\r\nQVSETUP.INF,1,QVSETUP.INF,1,1,Y\r\nGAUGE32.DLL,1,GAUGE32.DLL,1,1,Y\r\n"
    "A.DAT,2,A.DAT,2,1,Y\r\nB.DAT,3,B.DAT,3,1,Y\r\n[End]\r\n";

const char kWinIni[] = "[Mail]\r\nMAPI=1\r\n[QOR Brackenfield 4400,LPT1:]\r\nresolution=600\r\n";

// A Program Manager double holding the package's group, told to answer or
// to refuse.
struct ProgramManager {
    static std::string LogPath() { return WindowsDir() + "\\temp\\qorseq-progman.log"; }
    bool fresh = DeleteFileA(LogPath().c_str()) || true;  // before the double starts
    Process process;
    explicit ProgramManager(bool refuse)
        : process("\"" + BinDir() + "progman_double.exe\" /log \"" + LogPath() +
                  "\" /group \"Brackenfield Printing System\"" + (refuse ? " /refuse" : ""))
    {
        WaitForWindow("PROGMAN", nullptr, 10000);
    }
    ~ProgramManager()
    {
        if (HWND w = FindWindowA("PROGMAN", nullptr))
            PostMessageA(w, WM_CLOSE, 0, 0);
        process.WaitExit(5000);
    }
};

class Sequence : public ::testing::Test {
protected:
    std::string systemIni_, winIni_;
    bool hadSystemIni_ = false, hadWinIni_ = false;

    static std::string Win(const char* name) { return WindowsDir() + "\\" + name; }
    static std::string Pkg(const char* name) { return kInstallDir + "\\" + name; }

    void SetUp() override
    {
        hadSystemIni_ = ReadFileText(Win("system.ini"), &systemIni_);
        hadWinIni_ = ReadFileText(Win("win.ini"), &winIni_);
        ASSERT_TRUE(WriteFileText(Win("win.ini"), kWinIni));
        DeleteFileA(Win("WIN.000").c_str());
        DeleteFileA(Win("SYSTEM.000").c_str());

        CreateDirectoryA(kInstallDir.c_str(), nullptr);
        CreateDirectoryA(Pkg("DATA").c_str(), nullptr);
        CreateDirectoryA(Pkg("SUB").c_str(), nullptr);
        ASSERT_TRUE(WriteFileText(Pkg("QVSETUP.INF"), kLog));
        ASSERT_TRUE(CopyFileA((BinDir() + "GAUGE32.DLL").c_str(), Pkg("GAUGE32.DLL").c_str(), FALSE));
        ASSERT_TRUE(WriteFileText(Pkg("DATA\\A.DAT"), "a"));
        ASSERT_TRUE(WriteFileText(Pkg("SUB\\B.DAT"), "b"));

        g_boxes.clear();
        AddPackagePrinterAndKey();
        g_instance = GetModuleHandleA(nullptr);
        static bool registered = RegisterDDEClientClass(g_instance);
        ASSERT_TRUE(registered);
        g_config = ConfigRecord();
        GetWindowsDirectoryA(g_config.WindowsDir, sizeof g_config.WindowsDir);
        GetSystemDirectoryA(g_config.SystemDir, sizeof g_config.SystemDir);
        lstrcpyA(g_config.MainTitle, "QOR Brackenfield Un-Install");
        lstrcpyA(g_config.ErrorCaption, "QOR Brackenfield Un-Install Error");
        lstrcpyA(g_config.WarningCaption, "QOR Brackenfield Un-Install Warning");
        lstrcpyA(g_config.InstallDir, kInstallDir.c_str());
        g_mainWindow = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                       g_instance, nullptr);
    }

    void TearDown() override
    {
        RemovePrinters();
        RemovePlugAndPlayKey();
        if (IsWindow(g_mainWindow))
            DestroyWindow(g_mainWindow);
        SetCurrentDirectoryA("C:\\");
        for (const char* f : {"QVSETUP.INF", "GAUGE32.DLL", "GAUGE321.DLL", "DATA\\A.DAT", "SUB\\B.DAT"})
            DeleteFileA(Pkg(f).c_str());
        RemoveDirectoryA(Pkg("DATA").c_str());
        RemoveDirectoryA(Pkg("SUB").c_str());
        RemoveDirectoryA(kInstallDir.c_str());
        if (hadSystemIni_)
            WriteFileText(Win("system.ini"), systemIni_);
        if (hadWinIni_)
            WriteFileText(Win("win.ini"), winIni_);
        DeleteFileA(Win("WIN.000").c_str());
        DeleteFileA(Win("SYSTEM.000").c_str());
    }

    static std::string AllBoxes()
    {
        std::string all;
        for (const Box& b : g_boxes)
            all += "[" + b.caption + ": " + b.text + "] ";
        std::string log;
        ReadFileText(ProgramManager::LogPath(), &log);
        all += "\nProgram Manager's log:\n" + log;
        return all;
    }

    void ExpectOneBox(const std::string& text, const char* caption)
    {
        ASSERT_EQ(g_boxes.size(), 1u) << AllBoxes();
        EXPECT_EQ(g_boxes[0].text, text);
        EXPECT_STREQ(g_boxes[0].caption.c_str(), caption);
    }

    bool WinIniUntouched()
    {
        std::string now;
        return ReadFileText(Win("win.ini"), &now) && now == kWinIni && !FileExists(Win("WIN.000"));
    }
};

// The package's programs are closed first, whatever comes after.
TEST_F(Sequence, MissingSetupLogNamesItsPathAndChangesNothing)
{
    ProgramManager progman(false);
    DeleteFileA(Pkg("QVSETUP.INF").c_str());
    Process components("\"" + BinDir() + "components_double.exe\" /log \"" + WindowsDir() +
                       "\\temp\\qorseq-components.log\" all");
    ASSERT_TRUE(WaitForWindow("PanelClass", nullptr));
    EXPECT_EQ(RunUninstall(), 0);
    EXPECT_EQ(components.WaitExit(5000), 0) << "the components were not closed";
    ExpectOneBox("The C:\\QORSEQ\\QVSETUP.INF file cannot be loaded onto your system.\n"
                 "Brackenfield cannot be un-installed on your system.",
                 "QOR Brackenfield Un-Install Error");
    EXPECT_FALSE(IsWindow(g_mainWindow));
    EXPECT_TRUE(WinIniUntouched());
    EXPECT_TRUE(FileExists(Pkg("DATA\\A.DAT")));
    EXPECT_TRUE(PackagePrinterOrKeyLeft());
}

TEST_F(Sequence, FailedSettingsRestoreStopsBeforePrintersAndFiles)
{
    ProgramManager progman(false);
    std::string moved = Win("system.qor");
    ASSERT_TRUE(MoveFileA(Win("system.ini").c_str(), moved.c_str()));
    int result = RunUninstall();
    MoveFileA(moved.c_str(), Win("system.ini").c_str());
    EXPECT_EQ(result, 0);
    ExpectOneBox("Information cannot be added to the Windows file WIN.INI or SYSTEM.INI.\n"
                 "Brackenfield cannot be un-installed on your system.",
                 "QOR Brackenfield Un-Install Error");
    EXPECT_FALSE(IsWindow(g_mainWindow));
    EXPECT_TRUE(WinIniUntouched());
    EXPECT_TRUE(FileExists(Pkg("DATA\\A.DAT")));
    std::string log;
    ReadFileText(ProgramManager::LogPath(), &log);
    EXPECT_EQ(log.find("EXECUTE"), std::string::npos) << "the group was asked for before";
    HANDLE printer;
    ASSERT_TRUE(OpenPrinterA(const_cast<char*>(kPrinter), &printer, nullptr)) << "printer removed before";
    ClosePrinter(printer);
    HKEY key;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kKey, 0, KEY_READ, &key), 0) << "key removed before";
    RegCloseKey(key);
}

TEST_F(Sequence, RefusedGroupDeletionIsOnlyAWarning)
{
    ProgramManager progman(true);
    EXPECT_EQ(RunUninstall(), 1);
    ExpectOneBox("Cannot remove Brackenfield group from Program Manager.",
                 "QOR Brackenfield Un-Install Warning");
    EXPECT_EQ(g_groupFlag, 0);
    EXPECT_TRUE(IsWindow(g_mainWindow));
    EXPECT_FALSE(FileExists(Pkg("DATA\\A.DAT")));
    EXPECT_FALSE(FileExists(kInstallDir));
}

TEST_F(Sequence, MissingGaugeLibraryEndsAfterSettingsAndGroup)
{
    ProgramManager progman(false);
    DeleteFileA(Pkg("GAUGE32.DLL").c_str());
    EXPECT_EQ(RunUninstall(), 0);
    ExpectOneBox("The file PERCENT.DLL cannot be loaded onto your system.\n"
                 "Brackenfield cannot be un-installed on your system.",
                 "QOR Brackenfield Un-Install Error");
    EXPECT_FALSE(IsWindow(g_mainWindow));
    EXPECT_FALSE(WinIniUntouched());  // the settings were restored before
    EXPECT_TRUE(FileExists(Pkg("DATA\\A.DAT")));
    EXPECT_FALSE(FileExists(Pkg("GAUGE321.DLL")));
}

// Moves the install directory away while the file removal pauses, so that
// it can no longer be made current for the directory removal.
void CALLBACK MoveInstallDirectory(HWND window, UINT, UINT_PTR id, DWORD)
{
    KillTimer(window, id);
    MoveFileA(kInstallDir.c_str(), (kInstallDir + "X").c_str());
}

TEST_F(Sequence, InstallDirectoryGoneBeforeTheDirectoryRemoval)
{
    ProgramManager progman(false);
    SetTimer(g_mainWindow, 1, 300, MoveInstallDirectory);
    int result = RunUninstall();
    MoveFileA((kInstallDir + "X").c_str(), kInstallDir.c_str());
    EXPECT_EQ(result, 0);
    ExpectOneBox("The software has not been un-installed successfully .",
                 "QOR Brackenfield Un-Install Warning");
    EXPECT_FALSE(IsWindow(g_mainWindow));
    EXPECT_FALSE(FindWindowA("#32770", "QOR Brackenfield Un-Install"));  // progress dialog gone
    EXPECT_FALSE(GetModuleHandleA("GAUGE321.DLL"));
}

TEST_F(Sequence, SuccessLeavesTheInstallDirectoryAndStandsOnTheDriveRoot)
{
    ProgramManager progman(false);
    SetCurrentDirectoryA(kInstallDir.c_str());
    EXPECT_EQ(RunUninstall(), 1);
    EXPECT_TRUE(g_boxes.empty()) << AllBoxes();
    EXPECT_EQ(g_groupFlag, 1);
    EXPECT_FALSE(PackagePrinterOrKeyLeft());
    EXPECT_EQ(g_config.SystemDirKind, 403);  // wine's system directory is system32
    EXPECT_FALSE(FileExists(kInstallDir));
    EXPECT_FALSE(GetModuleHandleA("GAUGE321.DLL"));
    char current[MAX_PATH];
    GetCurrentDirectoryA(sizeof current, current);
    EXPECT_STREQ(current, "C:\\");
    EXPECT_TRUE(IsWindow(g_mainWindow));
    EXPECT_FALSE(FindWindowA("#32770", "QOR Brackenfield Un-Install"));
}

}  // namespace
