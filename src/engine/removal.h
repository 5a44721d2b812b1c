// Inside the removal: emptying a directory, the two deletions, why one
// failed, and the line search that finds a batch block of an earlier run.
#pragma once

#include <windows.h>

// Deletes the plain files directly in `directory` (a path without a trailing
// backslash); failures are ignored.
void DeleteFilesInDirectory(const char* directory);

// DeleteFileA and RemoveDirectoryA for the removal, in a file of their own
// (a test links its own to cut a run off at a chosen deletion). True when
// the file or directory went.
bool DeleteRemovalFile(const char* path);
bool RemoveRemovalDirectory(const char* path);
// Why the last deletion failed, in words for the action log ("in use or
// read-only", "not empty", ...), from GetLastError.
const char* RemovalFailureReason();
// Whether the last deletion failed because the file or directory was
// already gone.
bool RemovalTargetWasGone();
// `file` open at its start: the offset of the end of the first line that
// begins with `text` (ignoring case), or -1 when there is none or a read
// fails. Only CR ends a line.
long FindLineInFile(HFILE file, const char* text);
