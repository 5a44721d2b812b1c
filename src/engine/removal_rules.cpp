// The rules of the file and directory removal, without Windows calls, so the
// native tests and the fuzzer see exactly what the program decides.
#include "engine/removal_rules.h"

#include <cstring>
#include <initializer_list>

#include "base/base.h"

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

bool IsAbsolutePath(const char* path)
{
    if (IsSeparator(path[0]) && IsSeparator(path[1]))
        return true;
    bool letter = (path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z');
    return letter && path[1] == ':' && IsSeparator(path[2]);
}

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

const char* DestinationBase(const char* dirName)
{
    if (CompareNoCase(dirName, "WINDOWS") == 0)
        return g_config.WindowsDir;
    if (CompareNoCase(dirName, "SYSTEM") == 0)
        return g_config.SystemDirKind == kSystemDirElsewhere ? g_config.WindowsDir : g_config.SystemDir;
    return g_config.InstallDir;
}

bool BuildDestinationDir(char* out, std::size_t size, const char* dirName)
{
    if (size == 0)
        return false;
    out[0] = '\0';
    const char* dir = DestinationBase(dirName);
    int n;
    if (dir != g_config.InstallDir) {
        n = FormatText(out, size, "%s", dir);
    } else {
        if (!IsSafeDirName(dirName) || !IsAbsolutePath(g_config.InstallDir))
            return false;
        // The backslash is always inserted here, even after a drive root:
        // "D:\\DATA" names the same directory as "D:\DATA".
        n = FormatText(out, size, "%s\\%s", g_config.InstallDir, dirName);
    }
    // An empty directory would put the file at the root of the current drive.
    return n > 0;
}

FileAction DecideFile(const char* fileName, const char* dirName, bool dirKnown, char* path,
                      std::size_t size, const char** why)
{
    const char* ignored;
    const char*& reason = why ? *why : ignored;
    reason = "";
    if (size > 0)
        path[0] = '\0';
    if (IsSkippedFile(fileName)) {
        reason = CompareNoCase(fileName, "QORDELET.EXE") == 0
                     ? "the uninstaller itself, deleted at the next start of Windows"
                     : "a file of Windows' own printer drivers";
        return FileAction::Leave;
    }
    if (!dirKnown) {
        reason = "its directory is not listed in the setup log";
        return FileAction::Unreachable;
    }
    if (!IsSafeFileName(fileName)) {
        reason = "not a plain file name";
        return FileAction::Unreachable;
    }
    char destination[kRemovalPathSize];
    if (!BuildDestinationDir(destination, sizeof destination, dirName)) {
        reason = IsSafeDirName(dirName) ? "the path is too long" : "its directory is not the package's";
        return FileAction::Unreachable;
    }
    if (FormatText(path, size, "%s\\%s", destination, fileName) < 0) {
        reason = "the path is too long";
        return FileAction::Unreachable;
    }
    return FileAction::Delete;
}

namespace {

char UpperAscii(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

// Length of the part of a canonical path that no ".." can take away: "C:",
// "\\SERVER\SHARE", or nothing.
std::size_t PrefixLength(const char* path)
{
    if (IsSeparator(path[0]) && IsSeparator(path[1])) {
        std::size_t n = 2;
        for (int part = 0; part < 2; ++part) {
            while (path[n] != '\0' && !IsSeparator(path[n]))
                ++n;
            if (part == 0 && path[n] != '\0')
                ++n;
        }
        return n;
    }
    if (((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z')) &&
        path[1] == ':')
        return 2;
    return 0;
}

// The number of components after the prefix of a canonical path.
int ComponentCount(const char* canonical)
{
    int count = 0;
    for (const char* p = canonical + PrefixLength(canonical); *p; ++p)
        if (*p == '\\')
            ++count;
    return count;
}

}  // namespace

bool CanonicalPath(const char* path, char* out, std::size_t size)
{
    std::size_t prefix = PrefixLength(path);
    if (prefix >= size)
        return false;
    std::size_t n = 0;
    for (; n < prefix; ++n)
        out[n] = IsSeparator(path[n]) ? '\\' : UpperAscii(path[n]);
    const char* p = path + prefix;
    while (*p) {
        while (IsSeparator(*p))
            ++p;
        const char* begin = p;
        while (*p && !IsSeparator(*p))
            ++p;
        // Windows drops the dots and blanks that end a component: "DATA. "
        // is DATA, and "..." or ". ." is no more than ".".
        const char* end = p;
        while (end > begin && (end[-1] == '.' || end[-1] == ' '))
            --end;
        std::size_t length = static_cast<std::size_t>(end - begin);
        if (length == 0) {
            if (p - begin == 2 && begin[0] == '.' && begin[1] == '.') {
                // ".." takes the last component away, never the prefix.
                while (n > prefix && out[n - 1] != '\\')
                    --n;
                if (n > prefix)
                    --n;
            }
            continue;
        }
        if (n + 1 + length >= size)
            return false;
        out[n++] = '\\';
        for (const char* c = begin; c != end; ++c)
            out[n++] = UpperAscii(*c);
    }
    out[n] = '\0';
    return true;
}

bool PathWithin(const char* path, const char* dir, bool strictly)
{
    char p[kMaxPath + 16];
    char d[kMaxPath + 16];
    if (!CanonicalPath(path, p, sizeof p) || !CanonicalPath(dir, d, sizeof d) || d[0] == '\0')
        return false;
    std::size_t n = std::strlen(d);
    if (std::strncmp(p, d, n) != 0)
        return false;
    if (p[n] == '\0')
        return !strictly;
    return p[n] == '\\';
}

bool SamePath(const char* a, const char* b)
{
    return PathWithin(a, b, false) && PathWithin(b, a, false);
}

void PathForLog(const char* path, char* out, std::size_t size)
{
    if (size == 0)
        return;
    std::size_t n = 0;
    for (const char* p = path; *p && n + 1 < size; ++p) {
        if (IsSeparator(p[0]) && p[1] == '.' && (IsSeparator(p[2]) || p[2] == '\0')) {
            ++p;  // the separator goes; the "." too, with the next step
            continue;
        }
        out[n++] = *p;
    }
    out[n] = '\0';
}

bool IsPackageInstallDir()
{
    const ConfigRecord& c = g_config;
    char canonical[kMaxPath + 16];
    if (!IsAbsolutePath(c.InstallDir) || !CanonicalPath(c.InstallDir, canonical, sizeof canonical) ||
        ComponentCount(canonical) == 0)
        return false;
    // Nothing the system lives in, and nothing that holds it.
    for (const char* dir : {c.WindowsDir, c.SystemDir}) {
        if (dir[0] == '\0' || PathWithin(dir, c.InstallDir, false))
            return false;
    }
    return true;
}

bool IsPackageSubdirectory(const char* path)
{
    const ConfigRecord& c = g_config;
    if (!IsAbsolutePath(c.InstallDir) || !PathWithin(path, c.InstallDir, true))
        return false;
    for (const char* dir : {c.WindowsDir, c.SystemDir}) {
        if (dir[0] == '\0')
            return false;
        if (PathWithin(dir, path, false))
            return false;
        if (PathWithin(path, dir, false) && !PathWithin(c.InstallDir, dir, true))
            return false;
    }
    return true;
}

bool BuildEmptiedSubdir(char* out, std::size_t size, int dirCount, const char* name)
{
    // Only one of the entries that the directory removal handles: in a
    // package without folders of its own, entry 1 is the Windows or the
    // system directory's.
    constexpr int kEmptiedEntry = 1;
    bool ok = kEmptiedEntry < DirectoryRangeEnd(dirCount) && CompareNoCase(name, "WINDOWS") != 0 &&
              CompareNoCase(name, "SYSTEM") != 0 && BuildInstallSubdir(out, size, name) &&
              IsPackageSubdirectory(out);
    if (!ok)
        out[0] = '\0';
    return ok;
}

bool BuildInstallSubdir(char* out, std::size_t size, const char* dirName)
{
    if (size > 0)
        out[0] = '\0';
    if (!IsSafeDirName(dirName) || !IsAbsolutePath(g_config.InstallDir))
        return false;
    return JoinPath(out, size, g_config.InstallDir, dirName);
}

bool BuildAfterWalkPath(int row, char* out, std::size_t size, const char** dir)
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
    // In a drive root or the Windows directory these names are nobody's in
    // particular: only the package's own folder holds them for certain.
    if (kFiles[row].dir == g_config.InstallDir && !IsPackageInstallDir())
        return false;
    if (dir)
        *dir = kFiles[row].dir;
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
