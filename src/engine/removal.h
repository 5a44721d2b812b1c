// Removing what the setup log records: installed files, the install
// directory's subdirectories, and the batch that finishes the job at the next
// start of Windows.
#pragma once

#include <windows.h>

// Deletes every installed file with progress in `progress` (dialog 500).
// Always returns 1.
int DeleteInstalledFiles(HWND progress);
// Deletes the plain files directly in `directory` (a path without a trailing
// backslash); failures are ignored.
void DeleteFilesInDirectory(const char* directory);
// Removes the recorded subdirectories; 1 on success, 0 when the install
// directory cannot be made current.
int RemoveInstallDirectories(HWND progress);
// Creates, extends or wraps winstart.bat in the Windows directory.
void WriteDeferredDeletionBatch();
// `file` open at its start: the offset of the end of the first line that
// begins with `text` (ignoring case), or -1 when there is none or a read
// fails. Only CR ends a line.
long FindLineInFile(HFILE file, const char* text);
