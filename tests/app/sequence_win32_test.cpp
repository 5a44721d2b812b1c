// The uninstall sequence in-process under wine: every row of its failure
// table, what each failure left as it was, a group that Program Manager
// refuses to delete, and a run that succeeds.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "app/app.h"
#include "base/base.h"
#include "ddeclient/ddeclient.h"
#include "engine/engine.h"
#include "support/winsupport.h"

using namespace winsupport;

static std::string g_boxes;

// This test's own message box, linked in place of the program's.
int ShowMessageBox(HWND, const char* text, const char* caption, UINT)
{
    g_boxes += std::string("[") + caption + ": " + text + "]";
    return IDOK;
}

namespace {

const std::string kInstallDir = "C:\\QORSEQ";
const char kPrinter[] = "QOR Brackenfield 4400";
const char kKey[] = "Enum\\LPTENUM\\QORBRACKENFIELD_44001EEC";
const char kLog[] =
    "[Application]\r\nAppName=QOR Brackenfield 4400 Series\r\n"
    "[Dirs]\r\n1=.\r\n2=DATA\r\n3=WINDOWS\r\n4=SYSTEM\r\n[Files]\r\n"
    "QVSETUP.INF,1,QVSETUP.INF,1,1,Y\r\nGAUGE32.DLL,1,GAUGE32.DLL,1,1,Y\r\nA.DAT,2,A.DAT,2,1,Y\r\n"
    "[End]\r\n";
const char kWinIni[] = "[Mail]\r\nMAPI=1\r\n[QOR Brackenfield 4400,LPT1:]\r\nresolution=600\r\n";
const std::string kProgmanLog = WindowsDir() + "\\temp\\qorseq-progman.log";

std::string Win(const char* name) { return WindowsDir() + "\\" + name; }
std::string Pkg(const char* name) { return kInstallDir + "\\" + name; }

// Moves the install directory away while the file removal pauses, so that
// it can no longer be made current for the directory removal.
void CALLBACK MoveInstallDirectory(HWND window, UINT, UINT_PTR id, DWORD)
{
    KillTimer(window, id);
    MoveFileA(kInstallDir.c_str(), (kInstallDir + "X").c_str());
}

struct Case {
    const char* name;
    void (*fault)();  // what is wrong just before the run
    const char* progman;  // Program Manager's further options
    int result;
    const char* box;  // every box shown, as "[caption: text]"
    // Afterwards, 1 for each that holds, '?' for either way (when the timer
    // above fires): g_groupFlag is 1; the main window, WIN.INI untouched, a
    // data file, the package's printer, its key, the install directory, the
    // gauge library's working copy are there; the group was asked for; the
    // system directory is of kind 403 (Wine's is system32); the current
    // directory is C:\.
    const char* state;
};

#define BOX_ERROR "[QOR Brackenfield Un-Install Error: "
#define BOX_WARNING "[QOR Brackenfield Un-Install Warning: "
#define BOX_CANNOT "\nBrackenfield cannot be un-installed on your system.]"

// The install directory deleted by hand, setup log and all.
void DeleteInstallDirectory()
{
    for (const char* f : {"QVSETUP.INF", "GAUGE32.DLL", "DATA\\A.DAT"})
        DeleteFileA(Pkg(f).c_str());
    RemoveDirectoryA(Pkg("DATA").c_str());
    RemoveDirectoryA(kInstallDir.c_str());
}

const Case kCases[] = {
    // Without the setup log the settings, printer, key and group still go,
    // but not one file of the install directory, which is said to be kept.
    {"MissingSetupLog", [] { DeleteFileA(Pkg("QVSETUP.INF").c_str()); }, "", 0,
     BOX_ERROR "The C:\\QORSEQ\\QVSETUP.INF file cannot be loaded onto your system.\n"
               "Brackenfield cannot be un-installed on your system.\n"
               "The files in C:\\QORSEQ were kept; you can remove them by hand.]",
     "10010010111"},
    // With the install directory gone too, that is the whole removal.
    {"InstallDirectoryDeletedByHand", DeleteInstallDirectory, "", 1, "", "11000000111"},
    // Printers, key and group go only once the settings are restored.
    {"SettingsNotRestored", [] { MoveFileA(Win("system.ini").c_str(), Win("system.qor").c_str()); },
     "", 0, BOX_ERROR "Information cannot be added to the Windows file WIN.INI or SYSTEM.INI." BOX_CANNOT,
     "00111110011"},
    {"MissingGaugeLibrary", [] { DeleteFileA(Pkg("GAUGE32.DLL").c_str()); }, "", 0,
     BOX_ERROR "The file PERCENT.DLL cannot be loaded onto your system." BOX_CANNOT, "10010010111"},
    {"InstallDirectoryGone", [] { SetTimer(g_mainWindow, 1, 300, MoveInstallDirectory); }, "", 0,
     BOX_WARNING "The software has not been un-installed successfully .]", "100?001?111"},
    // Refused while Program Manager still lists the group: the notice, and
    // the run goes on.
    {"GroupRefused", [] {}, " /refuse", 1,
     BOX_WARNING "Cannot remove Brackenfield group from Program Manager.]", "01000000111"},
    // The install directory was current: the run stands on the drive root.
    {"Success", [] { SetCurrentDirectoryA(kInstallDir.c_str()); }, "", 1, "", "11000000111"},
};

class Sequence : public ::testing::TestWithParam<Case> {
protected:
    std::unique_ptr<Process> progman_, components_;

    static void Clean()
    {
        RemovePrinters();
        RemovePlugAndPlayKey();
        SetCurrentDirectoryA("C:\\");
        for (const char* f : {"QVSETUP.INF", "GAUGE32.DLL", "GAUGE321.DLL", "DATA\\A.DAT"})
            DeleteFileA(Pkg(f).c_str());
        RemoveDirectoryA(Pkg("DATA").c_str());
        RemoveDirectoryA(kInstallDir.c_str());
        DeleteFileA(Win("WIN.000").c_str());
        DeleteFileA(Win("SYSTEM.000").c_str());
    }

    void SetUp() override
    {
        Clean();
        for (const char* ini : {"system", "win"})
            CopyFileA((Win(ini) + ".ini").c_str(), (Win(ini) + ".qorsave").c_str(), FALSE);
        ASSERT_TRUE(WriteFileText(Win("win.ini"), kWinIni));
        CreateDirectoryA(kInstallDir.c_str(), nullptr);
        CreateDirectoryA(Pkg("DATA").c_str(), nullptr);
        ASSERT_TRUE(WriteFileText(Pkg("QVSETUP.INF"), kLog));
        ASSERT_TRUE(WriteFileText(Pkg("DATA\\A.DAT"), "a"));
        ASSERT_TRUE(CopyFileA((BinDir() + "GAUGE32.DLL").c_str(), Pkg("GAUGE32.DLL").c_str(), 0));
        AddTestPrinter(kPrinter);
        MakeKey(kKey);

        g_boxes.clear();
        g_groupFlag = 0;
        g_instance = GetModuleHandleA(nullptr);
        static bool registered = RegisterDDEClientClass(g_instance);
        ASSERT_TRUE(registered);
        g_mainWindow = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                       g_instance, nullptr);
        ASSERT_TRUE(WriteFileText(Win("vorn.ini"), "[APPLICATIONS]\r\nVornDir=" + kInstallDir));
        g_config = ConfigRecord();
        ASSERT_TRUE(LoadConfiguration(g_mainWindow));
        DeleteFileA(Win("vorn.ini").c_str());
    }

    void TearDown() override
    {
        if (HWND w = FindWindowA("PROGMAN", nullptr))
            PostMessageA(w, WM_CLOSE, 0, 0);
        if (progman_)
            progman_->WaitExit(5000);
        if (IsWindow(g_mainWindow))
            DestroyWindow(g_mainWindow);
        Clean();
        for (const char* ini : {"system", "win"})
            MoveFileExA((Win(ini) + ".qorsave").c_str(), (Win(ini) + ".ini").c_str(),
                        MOVEFILE_REPLACE_EXISTING);
    }
};

TEST_P(Sequence, FailureTableRow)
{
    const Case& r = GetParam();
    DeleteFileA(kProgmanLog.c_str());
    const std::string bin = "\"" + BinDir();
    progman_ = std::make_unique<Process>(bin + "progman_double.exe\" /log \"" + kProgmanLog +
                                         "\" /group \"Brackenfield Printing System\"" + r.progman);
    // The package's programs are closed first, whatever comes after.
    components_ = std::make_unique<Process>(bin + "components_double.exe\" /log \"" + kProgmanLog +
                                            ".components\" all");
    ASSERT_TRUE(WaitForWindow("PROGMAN", nullptr));
    ASSERT_EQ(WaitForInputIdle(components_->info.hProcess, 10000), 0u);
    r.fault();
    int result = RunUninstall();
    MoveFileA(Win("system.qor").c_str(), Win("system.ini").c_str());
    MoveFileA((kInstallDir + "X").c_str(), kInstallDir.c_str());

    std::string progmanLog, winIni, state;
    char current[MAX_PATH] = "";
    ReadFileText(kProgmanLog, &progmanLog);
    ReadFileText(Win("win.ini"), &winIni);
    GetCurrentDirectoryA(sizeof current, current);
    EXPECT_EQ(result, r.result);
    EXPECT_EQ(g_boxes, r.box) << "Program Manager's log:\n" << progmanLog;
    EXPECT_EQ(components_->WaitExit(5000), 0) << "the components were not closed";
    for (bool holds : {g_groupFlag == 1, IsWindow(g_mainWindow) != 0,
                       winIni == kWinIni && !FileExists(Win("WIN.000")),
                       FileExists(Pkg("DATA\\A.DAT")), PrinterExists(kPrinter), KeyExists(kKey),
                       FileExists(kInstallDir), FileExists(Pkg("GAUGE321.DLL")),
                       progmanLog.find("EXECUTE") != std::string::npos,
                       g_config.SystemDirKind == 403, lstrcmpA(current, "C:\\") == 0})
        state += r.state[state.size()] == '?' ? '?' : holds ? '1' : '0';
    EXPECT_EQ(state, r.state);
    EXPECT_FALSE(GetModuleHandleA("GAUGE321.DLL"));
    EXPECT_FALSE(FindWindowA("#32770", "QOR Brackenfield Un-Install")) << "the progress dialog";
}

INSTANTIATE_TEST_SUITE_P(Runs, Sequence, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
