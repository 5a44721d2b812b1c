// Pure rules of the uninstall sequence.
#include "engine/sequence.h"

#include <cstring>

#include "shell/config.h"
#include "shell/nocase.h"
#include "shell/rules.h"

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
