// Feeds arbitrary bytes to the removal's rules: the line search over a
// winstart.bat, the batch text built from arbitrary directories, and the
// decision for an arbitrary file entry.
#include <cstdint>
#include <cstring>
#include <string>
#include <strings.h>

#include "engine/removal_batch.h"
#include "engine/removal_rules.h"
#include "shell/config.h"

namespace {

struct Input {
    const uint8_t* data;
    size_t size;
    size_t at;
};

int ReadInput(void* context)
{
    Input* in = static_cast<Input*>(context);
    if (in->at >= in->size)
        return kEndOfInput;
    return in->data[in->at++];
}

// The next NUL- or newline-separated piece, at most `limit` bytes.
std::string Piece(const uint8_t*& p, const uint8_t* end, size_t limit)
{
    std::string s;
    while (p < end && *p != '\n' && *p != '\0' && s.size() < limit)
        s += static_cast<char>(*p++);
    if (p < end)
        ++p;
    return s;
}

// An independent statement of the rule: relative, no drive, and no
// component that climbs out.
bool ReachesOnlyInside(const std::string& dir)
{
    if (dir.empty() || dir[0] == '\\' || dir[0] == '/' || dir.find(':') != std::string::npos)
        return false;
    size_t begin = 0;
    for (size_t i = 0; i <= dir.size(); ++i) {
        if (i == dir.size() || dir[i] == '\\' || dir[i] == '/') {
            if (dir.compare(begin, i - begin, "..") == 0)
                return false;
            begin = i + 1;
        }
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const uint8_t* p = data;
    const uint8_t* end = data + size;
    std::string windows = Piece(p, end, kMaxPath - 1);
    std::string install = Piece(p, end, sizeof g_config.InstallDir - 1);
    std::string fileName = Piece(p, end, 49);
    std::string dirName = Piece(p, end, 29);

    g_config = ConfigRecord();
    std::strcpy(g_config.WindowsDir, windows.c_str());
    std::strcpy(g_config.SystemDir, windows.c_str());
    std::strcpy(g_config.InstallDir, install.c_str());
    g_config.SystemDirKind = size % 2 ? kSystemDirElsewhere : kSystemDirIsWindowsSystem;

    char path[kRemovalPathSize];
    if (DecideFile(fileName.c_str(), dirName.c_str(), true, path, sizeof path) ==
            FileAction::Delete &&
        !ReachesOnlyInside(dirName) && strcasecmp(dirName.c_str(), "WINDOWS") != 0 &&
        strcasecmp(dirName.c_str(), "SYSTEM") != 0)
        __builtin_trap();
    char subdir[kEmptyingPathSize];
    BuildInstallSubdir(subdir, sizeof subdir, dirName.c_str());
    ShowsDirectoryPath(subdir);
    // A directory emptied on the strength of the log is never the Windows
    // directory nor one that holds it, and never the install directory.
    if (BuildEmptiedSubdir(subdir, sizeof subdir, static_cast<int>(size % 40), dirName.c_str()) &&
        (PathWithin(windows.c_str(), subdir, false) || PathWithin(install.c_str(), subdir, false)))
        __builtin_trap();
    CompletionFlagFor(fileName.c_str());

    BatchPaths paths;
    if (BuildBatchPaths(&paths, windows.c_str(), install.c_str())) {
        BatchBlock block;
        BuildBatchBlock(&block, paths, nullptr);
        char old[kBatchTextSize];
        if (BuildOldBatchPath(old, sizeof old, windows.c_str(), static_cast<int>(size % 10)) &&
            BuildBatchBlock(&block, paths, old)) {
            size_t tail = 0;
            EndsWithWrapLines(reinterpret_cast<const char*>(data), size, true, paths, old, &tail);
        }
        Input in{data, size, 0};
        long start;
        FindLine(ReadInput, &in, paths.ownLastLine, LineMatch::Whole, &start);
    }
    Input in{p, static_cast<size_t>(end - p), 0};
    long start;
    long e = FindLine(ReadInput, &in, fileName.c_str(), LineMatch::Prefix, &start);
    if (e > static_cast<long>(end - p))
        __builtin_trap();
    return 0;
}
