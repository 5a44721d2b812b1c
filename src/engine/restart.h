// What waits for the next start of Windows, and in which order the system is
// asked to delete it there: the rules behind the batch of the Windows 95
// family and the system's own list on NT, where winstart.bat is never run.
#pragma once

#include <cstddef>

#include "base/base.h"

// The package's files that were in use when the removal came to them, and
// the package's folders that still held something, each with the directory
// it must lie in (a field of the configuration record), in the order they
// were met.
constexpr int kMaxDeferred = 64;
struct DeferredPath {
    char path[kMaxPath];
    const char* base;
    bool directory;
};
struct DeferredList {
    int count;
    DeferredPath paths[kMaxDeferred];
};
// This run's list.
extern DeferredList g_deferred;

// Whether the next start of Windows can be asked to delete `path`: the
// system's list on NT (`kind` 403) takes any path that fits; the batch of the
// Windows 95 family only one that its command interpreter keeps whole and
// whose command line fits.
bool CanNameAtRestart(const char* path, bool directory, int kind);
// Adds a path that passes CanNameAtRestart; false, and nothing added, when
// the list is full or it does not pass.
bool DeferToRestart(DeferredList* list, const char* path, const char* base, bool directory,
                    int kind);
// The list's entries in the order they are deleted: the files as they were
// met, then the folders, deepest first, so that a folder comes after what
// it holds. Returns the number written to `order`.
int DeferredOrder(const DeferredList& list, int order[kMaxDeferred]);

// A path the system is asked to delete at the next restart, with the
// directory it must lie in, and whether it is a deferred file of the package.
struct QueuedPath {
    char path[kMaxPath];
    const char* base;
    bool deferredFile;
};
constexpr int kMaxQueued = kMaxDeferred + 2;
// What the system is asked to delete at the next restart, in this order:
// QORDELET.EXE in the install directory, the deferred files and folders, and
// the install directory itself (removed only if it is empty by then, and only
// when it is the package's own folder). Nothing for kind 401, where the batch
// does it. The paths only have to fit: unlike the batch's commands, nothing
// here splits them at blanks. Returns the number of paths.
int RestartDeletionPaths(const DeferredList& list, QueuedPath out[kMaxQueued]);

// A file of the package's that nothing will remove: counted in g_remains,
// whose folder, the first one's, is kept for the completion page.
void NoteFileLeft(const char* path);
