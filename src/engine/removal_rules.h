// The rules that decide what the removal deletes: which names are acted on,
// where an installed file lives, which entries are left alone, which failures
// clear a completion flag, and which directory entries are removed.
#pragma once

#include <cstddef>

#include "base/base.h"

// Working buffers of the removal: a destination directory or a file's full
// path, and the search pattern or found path while a directory is emptied.
// The install directory may be as long as any path, so they hold any path.
constexpr int kRemovalPathSize = kMaxPath;
constexpr int kEmptyingPathSize = kMaxPath;

// "C:\..." or "\\SERVER\SHARE...": a path that names the same place whatever
// the current drive and directory. "QOR4400", "\QOR4400" and "C:QOR4400"
// depend on them, and so name no folder for certain.
bool IsAbsolutePath(const char* path);

// A file name as an installer writes it: not empty, not "." or "..", no
// directory part, no drive, no wildcard.
bool IsSafeFileName(const char* name);
// A directory name relative to the install directory: not empty, not
// absolute, no drive, no wildcard, no component made of two or more dots.
// "." is the install directory itself.
bool IsSafeDirName(const char* name);

// Entries left alone: parts of Windows' own printer drivers, and the
// uninstaller itself (the restart batch deletes it).
bool IsSkippedFile(const char* fileName);

// The completion flag to clear when deleting this file fails, or null.
int* CompletionFlagFor(const char* fileName);

// Where an installed file goes, from the name of its directory entry:
// the Windows directory, the system directory (the Windows directory when the
// system-directory kind is 403), or a subdirectory of the install directory.
// False, with `out` empty, for an unsafe name or one that does not fit.
bool BuildDestinationDir(char* out, std::size_t size, const char* dirName);
// The directory of the configuration that such a file must lie in: the
// Windows or the system directory it goes to, or the install directory.
const char* DestinationBase(const char* dirName);

// What to do with one file entry. `dirKnown` is false when its directory
// identifier names no directory entry.
enum class FileAction {
    Delete,       // `path` names the file
    Leave,        // Windows' own driver file, or the uninstaller itself
    Unreachable,  // no directory it can be shown to lie in: not deleted
};
// Decides one file entry; on Delete, `path` (kRemovalPathSize bytes) holds the
// full path "%s\%s" of destination directory and name. Otherwise `*why`,
// when given, says in words why the file stays.
FileAction DecideFile(const char* fileName, const char* dirName, bool dirKnown, char* path,
                      std::size_t size, const char** why = nullptr);

// Whether two paths name the same file as Windows resolves them.
bool SamePath(const char* a, const char* b);
// `path` as the action log shows it: without the "." components that the
// install directory's own entry (".") puts into it. A path that does not fit
// is shown as it is, cut.
void PathForLog(const char* path, char* out, std::size_t size);

// Paths as Windows resolves them, for deciding where a path lies: ASCII
// letters in upper case, "/" as "\", empty and "." components dropped, ".."
// taking the component before it away, the dots and blanks that end a
// component stripped, no trailing backslash. False when it does not fit.
bool CanonicalPath(const char* path, char* out, std::size_t size);
// Whether `path` is `dir` or lies below it (only below it when `strictly`).
bool PathWithin(const char* path, const char* dir, bool strictly);

// The install directory is a folder of the package's own: not a drive root,
// and neither the Windows nor the system directory nor a folder that holds
// either. Only then are files that the log does not list by name deleted
// from it, and only then is it removed.
bool IsPackageInstallDir();
// A directory that the removal may empty or remove because a directory entry
// names it: strictly inside the install directory, and neither the Windows
// nor the system directory nor a folder that holds either. Inside either of
// those only when the install directory itself lies strictly inside it.
bool IsPackageSubdirectory(const char* path);
// The directory whose plain files are deleted after the walk: directory entry
// 1 (`name`), when it is one of the package's own subdirectory entries (1 to
// `dirCount` - 3), is not named WINDOWS or SYSTEM, and is a package
// subdirectory. False, with `out` (of `size` > 0 bytes) empty, for anything
// else.
bool BuildEmptiedSubdir(char* out, std::size_t size, int dirCount, const char* name);

// The install directory joined with a directory entry's name; false for an
// unsafe name or a path that does not fit.
bool BuildInstallSubdir(char* out, std::size_t size, const char* dirName);

// Directory entries 1 up to (not including) this bound are removed; entry 0
// and the last two never are. Also the range of the directory phase's gauge.
int DirectoryRangeEnd(int dirCount);

// The files deleted by fixed name after the walk, in order: spooler.que in
// the install directory, VORNPRNT.DLL and VORNGDI.DRV in the system
// directory, VORNPRNT.DLL in the Windows and the install directories.
constexpr int kAfterWalkFiles = 5;
// The path of row `row`; false (nothing to delete) when its directory is
// unknown, the path does not fit, or the row is in an install directory that
// is not the package's own folder. `*dir`, when asked for, gets the row's
// directory of the configuration.
bool BuildAfterWalkPath(int row, char* out, std::size_t size, const char** dir = nullptr);

// The font directory is removed without being named on screen.
bool ShowsDirectoryPath(const char* path);
