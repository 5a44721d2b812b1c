// Pure rules of the uninstall sequence.
#pragma once

#include <cstddef>

// 401 when the system directory is the Windows directory's SYSTEM folder
// (the Windows 95 family), 403 otherwise (NT), compared without regard to
// case and with exactly one trailing backslash on each side.
int SystemDirectoryKind(const char* windowsDir, const char* systemDir);

// The install drive's root ("C:\") from the install directory; false when the
// directory does not begin with a drive letter.
bool InstallDriveRoot(const char* installDir, char* root, std::size_t size);
