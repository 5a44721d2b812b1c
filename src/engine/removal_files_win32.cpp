// Deleting the installed files that the setup log lists, with the progress
// dialog naming each one, then the files that the log does not list. The
// setup log itself goes last of all, so that a run cut off anywhere can be
// started again.
#include <cstring>

#include "base/base.h"
#include "engine/engine.h"
#include "engine/removal.h"
#include "engine/removal_rules.h"
#include "engine/removal_win32.h"
#include "engine/restart.h"
#include "resource.h"
#include "setuplog/setuplog.h"

namespace {

// The setup log's path, once the walk has found it among the files the log
// lists; empty otherwise.
char s_deferredLog[kRemovalPathSize];

bool IsDotEntry(const char* name)
{
    return std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0;
}

// Deletes one file that must lie in `base`, unless it is reached through a
// link, and says so in the action log. A file in use waits for the next
// start of Windows; one that cannot is left, and counted.
bool DeleteAndLog(const RemovalBase& base, const char* path, bool logIfGone)
{
    if (!MayRemove(base, path, "File kept")) {
        NoteFileLeft(path);
        return false;
    }
    char shown[kRemovalPathSize];
    PathForLog(path, shown, sizeof shown);
    if (DeleteRemovalFile(path)) {
        LogAction("File deleted: %s", shown);
        return true;
    }
    // Read before anything else asks the system.
    const char* why = RemovalFailureReason();
    if (RemovalTargetWasGone()) {
        if (logIfGone)
            LogAction("File already gone: %s", shown);
    } else if (!RemovalTargetInUse(path)) {
        LogAction("File kept (%s): %s", why, shown);
        NoteFileLeft(path);
    } else if (DeferToRestart(&g_deferred, path, base.dir, false, g_config.SystemDirKind)) {
        LogAction("File in use, to be deleted at the next start of Windows: %s", shown);
        ++g_remains.waiting;
    } else {
        LogAction("File kept (in use, and the next start of Windows cannot be asked to delete it): %s",
                  shown);
        NoteFileLeft(path);
    }
    return false;
}

// The log's second directory entry names a subdirectory whose files the
// installer put there without listing them one by one (the spool files).
void EmptyRecordedSubdirectory()
{
    int dirCount = SetupLogQuery(kGetDirCount, 0, nullptr);
    char dirName[kDirNameWidth] = "";
    SetupLogQuery(kGetDirName, 1, dirName);
    dirName[sizeof dirName - 1] = '\0';
    char directory[kEmptyingPathSize];
    if (BuildEmptiedSubdir(directory, sizeof directory, dirCount, dirName))
        DeleteFilesInDirectory(directory);
}

}  // namespace

const char* RemovalFailureReason()
{
    switch (GetLastError()) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        return "not found";
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        return "in use";
    case ERROR_ACCESS_DENIED:
        return "in use, read-only or not allowed";
    case ERROR_DIR_NOT_EMPTY:
        return "not empty";
    case ERROR_CURRENT_DIRECTORY:
        return "in use as a current directory";
    default:
        return "the system refused";
    }
}

bool RemovalTargetWasGone()
{
    DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

bool RemovalTargetInUse(const char* path)
{
    DWORD error = GetLastError();
    if (error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION)
        return true;
    DWORD attributes = GetFileAttributesA(path);
    return error == ERROR_ACCESS_DENIED && attributes != INVALID_FILE_ATTRIBUTES &&
           !(attributes & FILE_ATTRIBUTE_READONLY);
}

void DeleteFilesInDirectory(const char* directory)
{
    // A folder that is a link, or lies behind one, is never emptied: its
    // files are somebody else's.
    RemovalBase base(g_config.InstallDir);
    if (!MayRemove(base, directory, "Directory not emptied"))
        return;
    char pattern[kEmptyingPathSize];
    if (FormatText(pattern, sizeof pattern, "%s\\*.*", directory) < 0)
        return;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern, &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    // "." and ".." are passed over by name: a file system need not list
    // them first, or at all.
    do {
        if (IsDotEntry(found.cFileName) || (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            continue;
        char path[kEmptyingPathSize];
        if (FormatText(path, sizeof path, "%s\\%s", directory, found.cFileName) < 0)
            continue;
        DeleteAndLog(base, path, false);
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

int DeleteInstalledFiles(HWND progress)
{
    DrainMessages();
    char operation[100];
    if (LoadStringA(g_instance, IDS_DELETING_FILES, operation, sizeof operation) <= 0)
        operation[0] = '\0';
    SetDlgItemTextA(progress, kOperationLine, operation);

    char setupLog[kRemovalPathSize];
    if (!JoinPath(setupLog, sizeof setupLog, g_config.InstallDir, "QVSETUP.INF"))
        setupLog[0] = '\0';
    s_deferredLog[0] = '\0';

    // Where the three directories really are is read once; each file is
    // checked right before it is deleted.
    const RemovalBase install(g_config.InstallDir), windows(g_config.WindowsDir), system(g_config.SystemDir);
    auto baseOf = [&](const char* dir) -> const RemovalBase& {
        return dir == g_config.WindowsDir ? windows : dir == g_config.SystemDir ? system : install;
    };

    ProgressControls controls(progress);
    int count = SetupLogQuery(kGetFileCount, 0, nullptr);
    controls.StartGauge(count);
    for (int i = 0; i < count; ++i) {
        char name[kFileNameWidth] = "";
        char dirName[kDirNameWidth] = "";
        SetupLogQuery(kGetFileName, i, name);
        int dirId = SetupLogQuery(kGetFileDir, i, dirName);
        name[sizeof name - 1] = '\0';
        dirName[sizeof dirName - 1] = '\0';
        // A file whose directory the log does not list is never looked for
        // in a guessed place.
        bool dirKnown = SetupLogQuery(kFindDir, static_cast<unsigned long>(dirId), nullptr) >= 0;
        char path[kRemovalPathSize];
        const char* why = "";
        FileAction action = DecideFile(name, dirName, dirKnown, path, sizeof path, &why);
        if (action != FileAction::Delete) {
            LogAction("File kept (%s): %s", why, name);
            // A file that could not even be looked for is not removed: the
            // completion page must not list it.
            if (action == FileAction::Unreachable) {
                if (int* flag = CompletionFlagFor(name))
                    *flag = 0;
            }
            continue;
        }
        controls.ShowItem(name);
        controls.MoveGauge(i);
        DrainMessages();
        if (setupLog[0] && SamePath(path, setupLog)) {
            // Read again by a run that has to finish what this one began.
            lstrcpynA(s_deferredLog, path, sizeof s_deferredLog);
            LogAction("File kept until the end (the setup log): %s", setupLog);
        } else if (!DeleteAndLog(baseOf(DestinationBase(dirName)), path, true)) {
            if (int* flag = CompletionFlagFor(name))
                *flag = 0;
        }
        controls.MoveGauge(i + 1);
    }
    // The final gauge on screen for a moment; nobody watches an unattended
    // run.
    if (progress)
        DelayPumping(1000);

    EmptyRecordedSubdirectory();
    for (int row = 0; row < kAfterWalkFiles; ++row) {
        char path[kRemovalPathSize];
        const char* dir = nullptr;
        if (BuildAfterWalkPath(row, path, sizeof path, &dir))
            DeleteAndLog(baseOf(dir), path, false);
    }
    return 1;
}

void DeleteDeferredSetupLog()
{
    if (s_deferredLog[0])
        DeleteAndLog(RemovalBase(g_config.InstallDir), s_deferredLog, true);
    s_deferredLog[0] = '\0';
}
