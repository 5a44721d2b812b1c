// The uninstall sequence: every removal step in its fixed order, with the
// message of the step that failed.
#include <direct.h>

#include "ddeclient/ddeclient.h"
#include "engine/components.h"
#include "engine/engine.h"
#include "engine/removal.h"
#include "engine/removal_rules.h"
#include "engine/sequence.h"
#include "inirestore/inirestore.h"
#include "resource.h"
#include "setuplog/setuplog.h"
#include "shell/shell.h"
#include "wizard/wizard.h"

// Shows the failure's message, ends the program by destroying the main
// window, and gives the sequence's failure result.
static int Fail(UINT id, const char* caption, const char* arg1 = nullptr,
                const char* arg2 = nullptr)
{
    ShowMessage(g_instance, g_mainWindow, id, caption, kMessageStyle, arg1, arg2);
    DestroyWindow(g_mainWindow);
    return 0;
}

// The gauge library's working copy: loaded for the progress dialog's gauge,
// freed and deleted again on every way out.
struct GaugeLibrary {
    char path[kMaxPath] = "";
    HMODULE module = nullptr;

    bool Load()
    {
        char package[kMaxPath];
        if (!JoinPath(package, sizeof package, g_config.InstallDir, "GAUGE32.DLL") ||
            !JoinPath(path, sizeof path, g_config.InstallDir, "GAUGE321.DLL"))
            return false;
        CopyCompressedFile(package, path);
        module = LoadLibraryA(path);
        return module != nullptr;
    }
    void Release()
    {
        if (module)
            FreeLibrary(module);
        module = nullptr;
        if (path[0])
            DeleteFileA(path);
        path[0] = '\0';
    }
    ~GaugeLibrary() { Release(); }
};

static int LoadSetupLog()
{
    char logPath[kMaxPath];
    // An install directory too long for the path cannot be read: reported as
    // a log that cannot be opened, naming what was asked for.
    if (!JoinPath(logPath, sizeof logPath, g_config.InstallDir, "QVSETUP.INF")) {
        lstrcpynA(logPath, g_config.InstallDir, sizeof logPath);
        return Fail(IDS_LOG_NOT_LOADABLE, g_config.ErrorCaption, logPath, kProductWord);
    }
    switch (SetupLogQuery(kLoadLog, 0, logPath)) {
    case kLogLoaded:
        return 1;
    case kLogNoMemory:
        return Fail(IDS_NO_MEMORY, g_config.ErrorCaption);
    default:
        return Fail(IDS_LOG_NOT_LOADABLE, g_config.ErrorCaption, logPath, kProductWord);
    }
}

// Leaves the install directory so that it is not in use, then removes it
// unless it is a drive root or a directory of the system's.
static void RemoveInstallDirectory()
{
    char root[4];
    if (InstallDriveRoot(g_config.InstallDir, root, sizeof root)) {
        SetCurrentDirectoryA(root);
        _chdrive(root[0] - 64);
    }
    if (IsPackageInstallDir())
        RemoveDirectoryA(g_config.InstallDir);
}

int RunUninstall()
{
    CloseRunningComponents();
    g_config.SystemDirKind = SystemDirectoryKind(g_config.WindowsDir, g_config.SystemDir);

    if (!LoadSetupLog())
        return 0;

    HCURSOR previousCursor = SetCursor(LoadCursorA(nullptr, IDC_WAIT));

    if (!RestoreIniFiles())
        return Fail(IDS_INI_NOT_RESTORED, g_config.ErrorCaption, kProductWord);
    UpdateWindow(g_mainWindow);

    RemovePrinters();
    RemovePlugAndPlayKey();
    g_groupFlag = DeleteProgmanGroup();
    if (!g_groupFlag)
        ShowMessage(g_instance, g_mainWindow, IDS_GROUP_NOT_REMOVED, g_config.WarningCaption,
                    kMessageStyle, kProductWord);

    GaugeLibrary gauge;
    if (!gauge.Load()) {
        gauge.Release();
        return Fail(IDS_GAUGE_NOT_LOADABLE, g_config.ErrorCaption, kProductWord);
    }

    HWND progress = CreateDialogParamA(g_instance, MAKEINTRESOURCEA(IDD_STATUS), g_mainWindow,
                                       StatusDlgProc, 0);
    ShowWindow(progress, SW_SHOW);
    UpdateWindow(progress);

    DeleteInstalledFiles(progress);
    if (RemoveInstallDirectories(progress) != 1) {
        DestroyWindow(progress);
        gauge.Release();
        return Fail(IDS_NOT_UNINSTALLED, g_config.WarningCaption);
    }
    ShowWindow(progress, SW_HIDE);
    DestroyWindow(progress);
    // The library goes before the directory: its working copy lies there.
    gauge.Release();

    RemoveInstallDirectory();
    SetCursor(previousCursor);
    return 1;
}
