// Inside the removal: emptying a directory, the two deletions, why one
// failed, and the line search that finds a batch block of an earlier run.
#pragma once

#include <windows.h>

#include "engine/removal_links.h"

// Deletes the plain files directly in `directory` (a path without a trailing
// backslash); failures are ignored.
void DeleteFilesInDirectory(const char* directory);

// A directory that removed paths must lie in (the install, the Windows or
// the system directory), with where the system resolves it, read once: for a
// phase, or for the few paths at hand.
struct RemovalBase {
    ReachBase resolved;
    const char* dir;
    explicit RemovalBase(const char* dir);
};
// Called right before a path is deleted, removed, emptied or queued for the
// next start of Windows, which may act on it only when this is true: no
// junction or symbolic link from the base directory on, and, where the
// system can say, the path resolves inside the base as its text says. A path
// already gone passes (the deletion then finds nothing). Otherwise the
// action log gets "`refusedAs` (reason): path", with the reason "reached
// through a link" for a link.
bool MayRemove(const RemovalBase& base, const char* path, const char* refusedAs);

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
// Whether the last deletion of `path` failed because a program had the file
// open (NT refuses a running program's file, the Windows 95 family any open
// one, as access denied): one the next start of Windows can still delete. A
// read-only file is not: the next start would fail on it too.
bool RemovalTargetInUse(const char* path);
// `file` open at its start: the offset of the end of the first line that
// begins with `text` (ignoring case), or -1 when there is none or a read
// fails. Only CR ends a line.
long FindLineInFile(HFILE file, const char* text);
