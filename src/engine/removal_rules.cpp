// The rules of the file and directory removal, without Windows calls, so the
// native tests and the fuzzer see exactly what the program decides.
#include "engine/removal_rules.h"

#include <cstdio>
#include <cstring>

#include "shell/config.h"
#include "shell/nocase.h"
#include "shell/rules.h"

namespace {

bool IsSeparator(char c)
{
    return c == '\\' || c == '/';
}

// True when the first `length` characters of `name` equal `literal` ignoring
// case; a name shorter than the literal never matches.
bool PrefixMatches(const char* name, const char* literal, std::size_t length)
{
    char cut[16];
    if (length >= sizeof cut)
        return false;
    std::size_t n = std::strlen(name);
    if (n > length)
        n = length;
    std::memcpy(cut, name, n);
    cut[n] = '\0';
    return CompareNoCase(cut, literal) == 0;
}

// A component of two or more dots only: ".." climbs out of the install
// directory, and Windows strips the trailing dots of longer runs.
bool IsDotsComponent(const char* begin, const char* end)
{
    if (end - begin < 2)
        return false;
    for (const char* p = begin; p != end; ++p)
        if (*p != '.')
            return false;
    return true;
}

}  // namespace

bool IsSafeFileName(const char* name)
{
    if (name == nullptr || name[0] == '\0')
        return false;
    if (std::strcmp(name, ".") == 0)
        return false;
    if (IsDotsComponent(name, name + std::strlen(name)))
        return false;
    return std::strpbrk(name, "\\/:*?") == nullptr;
}

bool IsSafeDirName(const char* name)
{
    if (name == nullptr || name[0] == '\0' || IsSeparator(name[0]))
        return false;
    // A drive ("D:") or a stream name; a wildcard would widen the search
    // that empties a directory.
    if (std::strpbrk(name, ":*?") != nullptr)
        return false;
    const char* begin = name;
    for (const char* p = name;; ++p) {
        if (*p == '\0' || IsSeparator(*p)) {
            if (IsDotsComponent(begin, p))
                return false;
            if (*p == '\0')
                return true;
            begin = p + 1;
        }
    }
}

bool IsSkippedFile(const char* fileName)
{
    static const struct {
        const char* literal;
        std::size_t length;
    } kSkipped[] = {
        {"HPPCL", 5},
        {"UNIDRV", 6},
        {"FINSTALL", 8},
        {"PSCRIPT", 7},
    };
    for (const auto& row : kSkipped)
        if (PrefixMatches(fileName, row.literal, row.length))
            return true;
    return CompareNoCase(fileName, "QORDELET.EXE") == 0;
}

int* CompletionFlagFor(const char* fileName)
{
    struct Row {
        const char* literal;
        int* flag;
    };
    const Row kFlags[] = {
        {"Q44PCL.DRV", &g_pclFlag},
        {"QOR4400.DRV", &g_postScriptFlag},
        {"VORNWPSD.EXE", &g_monitorFlag},
    };
    for (const Row& row : kFlags)
        if (PrefixMatches(fileName, row.literal, 12))
            return row.flag;
    return nullptr;
}

bool BuildDestinationDir(char* out, std::size_t size, const char* dirName)
{
    if (size == 0)
        return false;
    out[0] = '\0';
    const char* dir = nullptr;
    if (CompareNoCase(dirName, "WINDOWS") == 0) {
        dir = g_config.WindowsDir;
    } else if (CompareNoCase(dirName, "SYSTEM") == 0) {
        dir = g_config.SystemDirKind == kSystemDirElsewhere ? g_config.WindowsDir
                                                            : g_config.SystemDir;
    }
    int n;
    if (dir != nullptr) {
        n = std::snprintf(out, size, "%s", dir);
    } else {
        if (!IsSafeDirName(dirName) || g_config.InstallDir[0] == '\0')
            return false;
        // The backslash is always inserted here, even after a drive root:
        // "D:\\DATA" names the same directory as "D:\DATA".
        n = std::snprintf(out, size, "%s\\%s", g_config.InstallDir, dirName);
    }
    if (n < 0 || static_cast<std::size_t>(n) >= size || out[0] == '\0') {
        out[0] = '\0';
        return false;
    }
    return true;
}

FileAction DecideFile(const char* fileName, const char* dirName, bool dirKnown, char* path,
                      std::size_t size)
{
    if (size > 0)
        path[0] = '\0';
    if (!dirKnown || !IsSafeFileName(fileName))
        return FileAction::Skip;
    char destination[kRemovalPathSize];
    if (!BuildDestinationDir(destination, sizeof destination, dirName))
        return FileAction::Skip;
    if (IsSkippedFile(fileName))
        return FileAction::Skip;
    int n = std::snprintf(path, size, "%s\\%s", destination, fileName);
    if (n < 0 || static_cast<std::size_t>(n) >= size) {
        if (size > 0)
            path[0] = '\0';
        return FileAction::Skip;
    }
    return FileAction::Delete;
}

bool BuildInstallSubdir(char* out, std::size_t size, const char* dirName)
{
    if (size > 0)
        out[0] = '\0';
    if (!IsSafeDirName(dirName) || g_config.InstallDir[0] == '\0')
        return false;
    return JoinPath(out, size, g_config.InstallDir, dirName);
}

bool BuildAfterWalkPath(int row, char* out, std::size_t size)
{
    const struct {
        const char* dir;
        const char* name;
    } kFiles[kAfterWalkFiles] = {
        {g_config.InstallDir, "spooler.que"},
        {g_config.SystemDir, "VORNPRNT.DLL"},
        {g_config.SystemDir, "VORNGDI.DRV"},
        {g_config.WindowsDir, "VORNPRNT.DLL"},
        {g_config.InstallDir, "VORNPRNT.DLL"},
    };
    if (size > 0)
        out[0] = '\0';
    if (row < 0 || row >= kAfterWalkFiles)
        return false;
    // An empty directory would join to "\name", a file at the root of the
    // current drive.
    if (kFiles[row].dir[0] == '\0')
        return false;
    return JoinPath(out, size, kFiles[row].dir, kFiles[row].name);
}

int DirectoryRangeEnd(int dirCount)
{
    return dirCount - 2;
}

bool ShowsDirectoryPath(const char* path)
{
    return std::strstr(path, "TTFONTS") == nullptr;
}
