// The uninstall sequence: every removal step in its fixed order, with the
// message of the step that failed.
#include <direct.h>

#include "app/app.h"
#include "app/rules.h"
#include "base/base.h"
#include "ddeclient/ddeclient.h"
#include "engine/engine.h"
#include "inirestore/inirestore.h"
#include "resource.h"
#include "setuplog/setuplog.h"
#include "wizard/wizard.h"

// Shows the failure's message, ends the program by destroying the main
// window, and gives the sequence's failure result. The log has the message
// and, after it, the result.
static int FailWithCode(int exitCode, const char* result, UINT id, const char* caption,
                        const char* arg1 = nullptr, const char* arg2 = nullptr,
                        const char* arg3 = nullptr)
{
    SetRunResult(exitCode, result);
    ShowMessage(g_instance, g_mainWindow, id, caption, kMessageStyle, arg1, arg2, arg3);
    DestroyWindow(g_mainWindow);
    return 0;
}

static int Fail(UINT id, const char* caption, const char* arg1 = nullptr,
                const char* arg2 = nullptr)
{
    return FailWithCode(kExitFailed, "not removed: the step above failed", id, caption, arg1, arg2);
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

// Reads the setup log into its tables: kLogLoaded, kLogNoMemory, or
// kLogCannotOpen (missing, unreadable, or an install directory too long for
// its path, which `logPath` then names).
static int LoadSetupLog(char* logPath, int size)
{
    if (!JoinPath(logPath, size, g_config.InstallDir, "QVSETUP.INF")) {
        lstrcpynA(logPath, g_config.InstallDir, size);
        return kLogCannotOpen;
    }
    int result = SetupLogQuery(kLoadLog, 0, logPath);
    if (result == kLogLoaded)
        LogAction("Setup log read: %s", logPath);
    else if (result == kLogCannotOpen)
        LogAction("Setup log not found or not readable: %s", logPath);
    return result;
}

// The end of a run without the setup log, once everything that the package's
// own names decide is done. Nothing in the install directory is touched:
// without the log nothing shows which of its files are the package's. A
// directory that is gone, or holds nothing but the uninstaller, goes on to
// the end of a run as ever; a directory that still holds files is left
// whole and said so. When no step found anything of the package's, the
// package was removed before: nothing to un-install.
static int FinishWithoutSetupLog(const char* logPath, bool foundPackage)
{
    if (!InstallDirHoldsNoFiles())
        return FailWithCode(kExitFailed, "not removed: the setup log is missing; the files in the "
                                         "install directory were kept",
                            IDS_LOG_MISSING_FILES_KEPT, g_config.ErrorCaption, logPath,
                            kProductWord, g_config.InstallDir);
    if (!foundPackage)
        return FailWithCode(kExitNothingToRemove,
                            "nothing to un-install: the package is already removed",
                            IDS_LOG_NOT_LOADABLE, g_config.ErrorCaption, logPath, kProductWord);
    LogAction("Without the setup log, the package's files in the Windows and system directories "
              "cannot be told apart from others and were kept");
    return 1;
}

// Leaves the install directory so that it is not in use, deletes the gauge
// library's working copy, then the setup log, the last of the package's
// files, and removes the install directory unless it is a drive root or a
// directory of the system's. Until the log is gone a run cut off anywhere can
// be started again and finishes the removal.
static void FinishInstallDirectory(GaugeLibrary* gauge)
{
    char root[4];
    if (InstallDriveRoot(g_config.InstallDir, root, sizeof root)) {
        SetCurrentDirectoryA(root);
        _chdrive(root[0] - 64);
    }
    gauge->Release();
    DeleteDeferredSetupLog();
    RemoveInstallDirectory();
}

int RunUninstall()
{
    LogAction("Closing the package's programs");
    bool foundPackage = CloseRunningComponents() > 0;
    FlushActionLog();
    g_config.SystemDirKind = SystemDirectoryKind(g_config.WindowsDir, g_config.SystemDir);

    // The settings, printers, key and group are the package's by their own
    // names: they go whether or not the setup log is there.
    char logPath[kMaxPath];
    int loaded = LoadSetupLog(logPath, sizeof logPath);
    if (loaded == kLogNoMemory)
        return Fail(IDS_NO_MEMORY, g_config.ErrorCaption);

    HCURSOR previousCursor = SetCursor(LoadCursorA(nullptr, IDC_WAIT));

    LogAction("Restoring SYSTEM.INI and WIN.INI");
    bool foundInIni = false;
    int restored = RestoreIniFiles(&foundInIni);
    FlushActionLog();
    if (!restored)
        return Fail(IDS_INI_NOT_RESTORED, g_config.ErrorCaption, kProductWord);
    UpdateWindow(g_mainWindow);

    LogAction("Removing the printers, the Plug and Play key and the group");
    bool foundPrinters = RemovePrinters() > 0;
    bool foundKey = RemovePlugAndPlayKey();
    // A group that an earlier run deleted is no failure.
    int group = DeleteProgmanGroup();
    g_groupFlag = group != kGroupNotRemoved;
    if (!g_groupFlag)
        ShowMessage(g_instance, g_mainWindow, IDS_GROUP_NOT_REMOVED, g_config.WarningCaption,
                    kMessageStyle, kProductWord);
    FlushActionLog();
    foundPackage = foundPackage || foundInIni || foundPrinters || foundKey || group == kGroupRemoved;

    if (loaded != kLogLoaded) {
        int finished = FinishWithoutSetupLog(logPath, foundPackage);
        FlushActionLog();
        if (finished)
            SetCursor(previousCursor);
        return finished;
    }

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
