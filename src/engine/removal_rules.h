// The rules that decide what the removal deletes: which names are acted on,
// where an installed file lives, which entries are left alone, which failures
// clear a completion flag, and which directory entries are removed.
#pragma once

#include <cstddef>

// Working buffers of the removal: a destination directory or a file's full
// path, and the search pattern or found path while a directory is emptied.
constexpr int kRemovalPathSize = 80;
constexpr int kEmptyingPathSize = 100;

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

// What to do with one file entry. `dirKnown` is false when its directory
// identifier names no directory entry.
enum class FileAction { Skip, Delete };
// Decides one file entry; on Delete, `path` (kRemovalPathSize bytes) holds the
// full path "%s\%s" of destination directory and name.
FileAction DecideFile(const char* fileName, const char* dirName, bool dirKnown, char* path,
                      std::size_t size);

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
// unknown or the path does not fit.
bool BuildAfterWalkPath(int row, char* out, std::size_t size);

// The font directory is removed without being named on screen.
bool ShowsDirectoryPath(const char* path);
