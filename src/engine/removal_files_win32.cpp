// Deleting the installed files that the setup log lists, with the progress
// dialog naming each one, then the files that the log does not list.
#include <cstring>

#include "engine/removal.h"
#include "engine/removal_rules.h"
#include "engine/removal_win32.h"
#include "resource.h"
#include "setuplog/setuplog.h"
#include "shell/shell.h"

namespace {

bool IsDotEntry(const char* name)
{
    return std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0;
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

void DeleteFilesInDirectory(const char* directory)
{
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
        DeleteFileA(path);
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
        FileAction action = DecideFile(name, dirName, dirKnown, path, sizeof path);
        if (action != FileAction::Delete) {
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
        if (!DeleteFileA(path)) {
            if (int* flag = CompletionFlagFor(name))
                *flag = 0;
        }
        controls.MoveGauge(i + 1);
    }
    DelayPumping(1000);

    EmptyRecordedSubdirectory();
    for (int row = 0; row < kAfterWalkFiles; ++row) {
        char path[kRemovalPathSize];
        if (BuildAfterWalkPath(row, path, sizeof path))
            DeleteFileA(path);
    }
    return 1;
}
