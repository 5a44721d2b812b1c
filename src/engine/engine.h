// The uninstall engine: the package's running programs, its printers, drivers
// and Plug and Play key, its installed files and directories, and what is left
// for the next start of Windows (winstart.bat and the system's own list).
#pragma once

#include <windows.h>

// ---- The package's programs, printers and key ------------------------------

// Asks the package's running programs to close and waits for them. Returns
// how many of the requests found one of them running.
int CloseRunningComponents();
// Deletes the package's three printers and their drivers. Returns how many of
// the printers were there.
int RemovePrinters();
// Deletes the printer's Plug and Play key with everything below it. True
// when the key was there.
bool RemovePlugAndPlayKey();

// ---- Files and directories -------------------------------------------------

// Deletes every installed file with progress in `progress` (dialog 500, or
// null in an unattended run, which shows nothing and does not pause).
// Always returns 1. The setup log itself is only noted: it goes last, with
// DeleteDeferredSetupLog.
int DeleteInstalledFiles(HWND progress);
// Deletes the setup log when the walk found it among the files it lists.
void DeleteDeferredSetupLog();
// Removes the recorded subdirectories; 1 on success, 0 when the install
// directory cannot be made current.
int RemoveInstallDirectories(HWND progress);
// Removes the install directory itself, once it is no longer current, when
// it is a folder of the package's own (not a drive root, nor a directory of
// the system's).
void RemoveInstallDirectory();
// Whether `path`, which must lie in `dir` (the install, the Windows or the
// system directory), may be written or deleted: no junction or symbolic link
// from `dir` on, and, where the system can say, it resolves inside `dir` as
// its text says. Called right before the action; when false, the action log
// has "`refusedAs` (reason): path".
bool MayRemove(const char* dir, const char* path, const char* refusedAs);
// The install directory is gone, or holds nothing but the uninstaller, which
// waits for the next start: what a finished removal leaves.
bool InstallDirHoldsNoFiles();

// ---- The next start of Windows ---------------------------------------------

// Creates, extends or wraps winstart.bat in the Windows directory.
void WriteDeferredDeletionBatch();
// On Restart, once per prompt: writes the batch and, on NT, queues the same
// deletions with the system. A queuing that fails changes nothing else.
void PrepareRestartRemoval();
// The second half of that alone: the deletions queued with the system (on
// NT; nothing on the Windows 95 family). An unattended run takes this on NT,
// where winstart.bat is never run, and the batch on the 95 family.
void QueueRestartDeletions();
