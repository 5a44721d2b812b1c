// Feeds arbitrary bytes to the removal's rules: the line search over a
// winstart.bat, the batch text built from arbitrary directories, and the
// decision for an arbitrary file entry.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <strings.h>

#include "base/base.h"
#include "engine/removal_batch.h"
#include "engine/removal_rules.h"

namespace {

struct Input { const uint8_t *at, *end; };
// The next NUL- or newline-separated piece, at most `limit` bytes.
std::string Piece(const uint8_t*& p, const uint8_t* end, size_t limit)
{
    std::string s;
    while (p < end && *p != '\n' && *p != '\0' && s.size() < limit)
        s += static_cast<char>(*p++);
    p += p < end;
    return s;
}

// An independent statement of the rule: relative, no drive, and no
// component that climbs out.
bool ReachesOnlyInside(std::string dir)
{
    std::replace(dir.begin(), dir.end(), '/', '\\');
    return !dir.empty() && dir[0] != '\\' && dir.find(':') == std::string::npos &&
           ("\\" + dir + "\\").find("\\..\\") == std::string::npos;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const uint8_t *p = data, *end = data + size;
    const std::string windows = Piece(p, end, kMaxPath - 1), install = Piece(p, end, kMaxPath - 1);
    const std::string file = Piece(p, end, 49), dir = Piece(p, end, 29);
    g_config = ConfigRecord();
    std::strcpy(g_config.WindowsDir, windows.c_str());
    std::strcpy(g_config.SystemDir, windows.c_str());
    std::strcpy(g_config.InstallDir, install.c_str());
    g_config.SystemDirKind = size % 2 ? kSystemDirElsewhere : kSystemDirIsWindowsSystem;

    // Deleted only where a relative directory name reaches, or in the Windows
    // or system directory when the entry names it.
    char path[kRemovalPathSize], subdir[kEmptyingPathSize];
    if (DecideFile(file.c_str(), dir.c_str(), true, path, sizeof path) == FileAction::Delete &&
        !ReachesOnlyInside(dir) && strcasecmp(dir.c_str(), "WINDOWS") != 0 &&
        strcasecmp(dir.c_str(), "SYSTEM") != 0)
        __builtin_trap();
    BuildInstallSubdir(subdir, sizeof subdir, dir.c_str());
    ShowsDirectoryPath(subdir);
    CompletionFlagFor(file.c_str());
    // A directory emptied on the strength of the log is never the Windows
    // directory nor one that holds it, and never the install directory.
    if (BuildEmptiedSubdir(subdir, sizeof subdir, static_cast<int>(size % 40), dir.c_str()) &&
        (PathWithin(windows.c_str(), subdir, false) || PathWithin(install.c_str(), subdir, false)))
        __builtin_trap();

    ReadByteFn read = [](void* in) {
        Input* bytes = static_cast<Input*>(in);
        return bytes->at < bytes->end ? *bytes->at++ : kEndOfInput;
    };
    BatchPaths paths;
    BatchBlock block;
    char old[kBatchTextSize];
    long start;
    if (BuildBatchPaths(&paths, windows.c_str(), install.c_str())) {
        BuildBatchBlock(&block, paths, nullptr);
        size_t tail = 0;
        if (BuildOldBatchPath(old, sizeof old, windows.c_str(), static_cast<int>(size % 10)) &&
            BuildBatchBlock(&block, paths, old))
            EndsWithWrapLines(reinterpret_cast<const char*>(data), size, true, paths, old, &tail);
        Input whole{data, end};
        FindLine(read, &whole, paths.ownLastLine, LineMatch::Whole, &start);
    }
    Input rest{p, end};
    if (FindLine(read, &rest, file.c_str(), LineMatch::Prefix, &start) > end - p)
        __builtin_trap();
    return 0;
}
