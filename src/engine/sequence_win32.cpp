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
// window, and gives the sequence's failure result. The log has the message
// and, after it, the result.
static int FailWithCode(int exitCode, const char* result, UINT id, const char* caption,
                        const char* arg1 = nullptr, const char* arg2 = nullptr)
{
    SetRunResult(exitCode, result);
    ShowMessage(g_instance, g_mainWindow, id, caption, kMessageStyle, arg1, arg2);
    DestroyWindow(g_mainWindow);
    return 0;
}

static int Fail(UINT id, const char* caption, const char* arg1 = nullptr,
                const char* arg2 = nullptr)
{
    return FailWithCode(kExitFailed, "not removed: the step above failed", id, caption, arg1, arg2);
}

// A package that a run has already removed: its install directory is gone,
// or holds nothing but the uninstaller, which waits for the next start.
static bool PackageAlreadyRemoved()
{
    char pattern[kMaxPath];
    if (!JoinPath(pattern, sizeof pattern, g_config.InstallDir, "*.*"))
        return false;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern, &found);
    if (search == INVALID_HANDLE_VALUE)
        return GetFileAttributesA(g_config.InstallDir) == INVALID_FILE_ATTRIBUTES;
    bool onlyTheUninstaller = true;
    do {
        const char* name = found.cFileName;
        if (lstrcmpA(name, ".") != 0 && lstrcmpA(name, "..") != 0 &&
            lstrcmpiA(name, "QORDELET.EXE") != 0)
            onlyTheUninstaller = false;
    } while (onlyTheUninstaller && FindNextFileA(search, &found));
    FindClose(search);
    return onlyTheUninstaller;
}

// The gauge library's working copy: loaded for the progress dialog's gauge,
// freed and deleted again on every way out. A run cut off after the walk
// deleted GAUGE32.DLL left its working copy, which the next run loads.
struct GaugeLibrary {
    char path[kMaxPath] = "";
    HMODULE module = nullptr;

    GaugeLibrary()
    {
        if (!JoinPath(path, sizeof path, g_config.InstallDir, "GAUGE321.DLL"))
            path[0] = '\0';
    }
    bool Load()
    {
        char package[kMaxPath];
        if (!path[0] || !JoinPath(package, sizeof package, g_config.InstallDir, "GAUGE32.DLL"))
            return false;
        // Never written, loaded or deleted through a link.
        if (!MayRemove(g_config.InstallDir, path, "File kept")) {
            path[0] = '\0';
            return false;
        }
        CopyCompressedFile(package, path);
        module = LoadLibraryA(path);
        return module != nullptr;
    }
    void Free()
    {
        if (module)
            FreeLibrary(module);
        module = nullptr;
    }
    void Release()
    {
        Free();
        if (path[0] && MayRemove(g_config.InstallDir, path, "File kept"))
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
        LogAction("Setup log read: %s", logPath);
        return 1;
    case kLogNoMemory:
        return Fail(IDS_NO_MEMORY, g_config.ErrorCaption);
    default:
        // The log goes last of all the package's files: without it, either
        // a run has removed the package, or the install is damaged.
        if (PackageAlreadyRemoved())
            return FailWithCode(kExitNothingToRemove,
                                "nothing to un-install: the package is already removed",
                                IDS_LOG_NOT_LOADABLE, g_config.ErrorCaption, logPath, kProductWord);
        return Fail(IDS_LOG_NOT_LOADABLE, g_config.ErrorCaption, logPath, kProductWord);
    }
}

// Leaves the install directory so that it is not in use, deletes the setup
// log, the last of the package's files, then the gauge library's working
// copy, and removes the install directory unless it is a drive root or a
// directory of the system's. Until the log is gone a run cut off anywhere can
// be started again and finishes the removal.
static void FinishInstallDirectory(GaugeLibrary* gauge)
{
    char root[4];
    if (InstallDriveRoot(g_config.InstallDir, root, sizeof root)) {
        SetCurrentDirectoryA(root);
        _chdrive(root[0] - 64);
    }
    DeleteDeferredSetupLog();
    gauge->Release();
    if (!IsPackageInstallDir() || !MayRemove(g_config.InstallDir, g_config.InstallDir, "Directory kept"))
        return;
    if (RemoveRemovalDirectory(g_config.InstallDir))
        LogAction("Directory removed: %s", g_config.InstallDir);
    else
        LogAction("Directory kept (%s): %s", RemovalFailureReason(), g_config.InstallDir);
}

int RunUninstall()
{
    LogAction("Closing the package's programs");
    CloseRunningComponents();
    FlushActionLog();
    g_config.SystemDirKind = SystemDirectoryKind(g_config.WindowsDir, g_config.SystemDir);

    if (!LoadSetupLog())
        return 0;

    HCURSOR previousCursor = SetCursor(LoadCursorA(nullptr, IDC_WAIT));

    LogAction("Restoring SYSTEM.INI and WIN.INI");
    int restored = RestoreIniFiles();
    FlushActionLog();
    if (!restored)
        return Fail(IDS_INI_NOT_RESTORED, g_config.ErrorCaption, kProductWord);
    UpdateWindow(g_mainWindow);

    LogAction("Removing the printers, the Plug and Play key and the group");
    RemovePrinters();
    RemovePlugAndPlayKey();
    // A group that an earlier run deleted is no failure.
    int group = DeleteProgmanGroup();
    g_groupFlag = group != kGroupNotRemoved;
    if (!g_groupFlag)
        ShowMessage(g_instance, g_mainWindow, IDS_GROUP_NOT_REMOVED, g_config.WarningCaption,
                    kMessageStyle, kProductWord);
    FlushActionLog();

    // Without a window to show, an unattended run needs no gauge; the
    // library is still removed as a package file.
    GaugeLibrary gauge;
    HWND progress = nullptr;
    if (!g_options.unattended) {
        if (!gauge.Load()) {
            gauge.Release();
            return Fail(IDS_GAUGE_NOT_LOADABLE, g_config.ErrorCaption, kProductWord);
        }
        progress = CreateDialogParamA(g_instance, MAKEINTRESOURCEA(IDD_STATUS), g_mainWindow,
                                      StatusDlgProc, 0);
        ShowWindow(progress, SW_SHOW);
        UpdateWindow(progress);
    }

    LogAction("Deleting the installed files");
    DeleteInstalledFiles(progress);
    FlushActionLog();
    LogAction("Removing the install directory's subdirectories");
    int removed = RemoveInstallDirectories(progress);
    FlushActionLog();
    if (removed != 1) {
        if (progress)
            DestroyWindow(progress);
        gauge.Release();
        return Fail(IDS_NOT_UNINSTALLED, g_config.WarningCaption);
    }
    if (progress) {
        ShowWindow(progress, SW_HIDE);
        DestroyWindow(progress);
    }
    // The library is freed before its working copy, in the install
    // directory, is deleted.
    gauge.Free();

    FinishInstallDirectory(&gauge);
    FlushActionLog();
    SetCursor(previousCursor);
    return 1;
}
