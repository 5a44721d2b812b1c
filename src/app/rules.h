// The application's pure rules: where the main window goes, the backdrop's
// bands, and the uninstall sequence's system-directory kind and drive root.
#pragma once

#include <cstddef>

struct PlaceRect {
    int x, y, width, height;
};

// desktop: left, top, right, bottom of the desktop window.
PlaceRect ChoosePlacement(bool colour, int horzRes, int vertRes,
                          int left, int top, int right, int bottom);

constexpr int kBackdropBands = 128;
constexpr int kBandHeight = 4;
// Blue component of band i: 255, 253, ... 1.
int BandBlue(int band);

// 401 when the system directory is the Windows directory's SYSTEM folder
// (the Windows 95 family), 403 otherwise (NT), compared without regard to
// case and with exactly one trailing backslash on each side.
int SystemDirectoryKind(const char* windowsDir, const char* systemDir);

// The install drive's root ("C:\") from the install directory; false when the
// directory does not begin with a drive letter.
bool InstallDriveRoot(const char* installDir, char* root, std::size_t size);
