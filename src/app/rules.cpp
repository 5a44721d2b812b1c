// The application's pure rules (no Windows calls), shared with the native
// tests.
#include "app/rules.h"

#include <cstring>

#include "base/base.h"

PlaceRect ChoosePlacement(bool colour, int horzRes, int vertRes,
                          int left, int top, int right, int bottom)
{
    if (!colour)
        return {left + 110, top, right - left - 200, bottom - top};
    if (horzRes >= 440 && vertRes >= 400)
        return {0, 0, right, bottom};
    return {(right - left - 500) / 2, top, 500, bottom - top};
}

int BandBlue(int band)
{
    return 255 - 2 * band;
}

static bool WithOneTrailingBackslash(char* out, std::size_t size, const char* dir,
                                     const char* suffix)
{
    std::size_t len = std::strlen(dir);
    const char* format = (len > 0 && dir[len - 1] == '\\') ? "%s%s" : "%s\\%s";
    return FormatText(out, size, format, dir, suffix) >= 0;
}

int SystemDirectoryKind(const char* windowsDir, const char* systemDir)
{
    char expected[kMaxPath + 16];
    char actual[kMaxPath + 16];
    if (!WithOneTrailingBackslash(expected, sizeof expected, windowsDir, "SYSTEM\\") ||
        !WithOneTrailingBackslash(actual, sizeof actual, systemDir, ""))
        return kSystemDirElsewhere;
    return CompareNoCase(expected, actual) == 0 ? kSystemDirIsWindowsSystem : kSystemDirElsewhere;
}

bool InstallDriveRoot(const char* installDir, char* root, std::size_t size)
{
    char letter = installDir[0];
    if (letter >= 'a' && letter <= 'z')
        letter = static_cast<char>(letter - 'a' + 'A');
    if (letter < 'A' || letter > 'Z' || installDir[1] != ':' || size < 4)
        return false;
    root[0] = letter;
    root[1] = ':';
    root[2] = '\\';
    root[3] = '\0';
    return true;
}
