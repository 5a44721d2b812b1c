// Removing the install directory's recorded subdirectories, with the
// progress dialog naming each one, and then the install directory itself.
// Only empty directories go.
#include "base/base.h"
#include "engine/engine.h"
#include "engine/removal.h"
#include "engine/removal_rules.h"
#include "engine/removal_win32.h"
#include "engine/restart.h"
#include "resource.h"
#include "setuplog/setuplog.h"

// Removes one empty directory and says so. True when it is still there.
static bool RemoveAndLog(const char* path)
{
    if (RemoveRemovalDirectory(path)) {
        LogAction("Directory removed: %s", path);
        return false;
    }
    if (RemovalTargetWasGone()) {
        LogAction("Directory already gone: %s", path);
        return false;
    }
    LogAction("Directory kept (%s): %s", RemovalFailureReason(), path);
    return true;
}

int RemoveInstallDirectories(HWND progress)
{
    char operation[100];
    if (LoadStringA(g_instance, IDS_DELETING_TREE, operation, sizeof operation) <= 0)
        operation[0] = '\0';
    SetDlgItemTextA(progress, kOperationLine, operation);

    ProgressControls controls(progress);
    int end = DirectoryRangeEnd(SetupLogQuery(kGetDirCount, 0, nullptr));
    controls.StartGauge(end);
    controls.ShowItem(g_config.InstallDir);
    // The uninstall sequence later moves to the drive's root to remove the
    // install directory itself; until then it stays current.
    if (g_config.InstallDir[0] == '\0' || !SetCurrentDirectoryA(g_config.InstallDir))
        return 0;
    controls.MoveGauge(1);
    const RemovalBase install(g_config.InstallDir);

    // Entry 0 and the last two entries are never removed. In log order, a
    // parent listed before its own subdirectory is not empty yet and stays.
    for (int i = 1; i < end; ++i) {
        DrainMessages();
        char name[kDirNameWidth] = "";
        SetupLogQuery(kGetDirName, static_cast<unsigned long>(i), name);
        name[sizeof name - 1] = '\0';
        char path[kRemovalPathSize];
        if (!BuildInstallSubdir(path, sizeof path, name) || !IsPackageSubdirectory(path)) {
            LogAction("Directory kept (not a folder of the package's own): %s", name);
            continue;
        }
        if (ShowsDirectoryPath(path))
            controls.ShowItem(path);
        // A folder that is a link stays like one that is not empty: on Wine,
        // RemoveDirectoryA removes the link's empty target and keeps the link.
        // A folder that still holds a file waiting for the next start of
        // Windows is removed there after it, when nothing else is left in it.
        if (MayRemove(install, path, "Directory kept") && RemoveAndLog(path) &&
            g_remains.waiting > 0)
            DeferToRestart(&g_deferred, path, g_config.InstallDir, true, g_config.SystemDirKind);
        controls.MoveGauge(i + 1);
    }
    if (progress)
        DelayPumping(1000);
    return 1;
}

void RemoveInstallDirectory()
{
    if (IsPackageInstallDir() && MayRemove(g_config.InstallDir, g_config.InstallDir, "Directory kept"))
        RemoveAndLog(g_config.InstallDir);
}

bool InstallDirHoldsNoFiles()
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
