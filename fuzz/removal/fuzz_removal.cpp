// Feeds arbitrary bytes to the removal's rules: the line search over a
// winstart.bat, the batch text built from arbitrary directories, the
// decision for an arbitrary file entry, and the link check of its path over
// a file system made of the input.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <strings.h>
#include <vector>

#include "base/base.h"
#include "engine/removal_batch.h"
#include "engine/removal_links.h"
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

// Paths below the install directory, each plain, a link or missing, with a
// final path of the input's choosing; one entry for each canonical path.
struct Entry {
    std::string canonical;
    unsigned long attributes;
    std::string final;
};
struct System {
    std::vector<Entry> entries;
    bool finals;
    const Entry* Find(const char* path) const
    {
        char c[kReachPathSize];
        if (!CanonicalPath(path, c, sizeof c))
            return nullptr;
        for (const Entry& e : entries)
            if (e.canonical == c)
                return &e;
        return nullptr;
    }
};

unsigned long Attributes(void* context, const char* path)
{
    size_t n = std::strlen(path);
    if (n > 0 && path[n - 1] == '\\' && !(n == 3 && path[1] == ':'))
        return kNoAttributes;  // a trailing backslash would see through a link
    const Entry* e = static_cast<System*>(context)->Find(path);
    return e ? e->attributes : kNoAttributes;
}

FinalPathAnswer FinalPath(void* context, const char* path, char* out, size_t size)
{
    const System* fs = static_cast<System*>(context);
    const Entry* e = fs->Find(path);
    if (!fs->finals)
        return FinalPathAnswer::Unavailable;
    if (!e || e->final.size() >= size)
        return FinalPathAnswer::Failed;
    std::strcpy(out, e->final.c_str());
    return FinalPathAnswer::Found;
}

std::string Stripped(const std::string& final)
{
    char out[kReachPathSize];
    return StripLongPrefix(final.c_str(), out, sizeof out) ? out : "";
}

// Allowed to go only through no link from the install directory on, and, with
// final paths, only to a place inside the install directory's own.
void CheckLinks(const uint8_t* p, const uint8_t* end, const std::string& install, const char* path)
{
    System fs;
    fs.finals = p < end && (*p++ & 1);
    for (int i = 0; i < 8 && p < end; ++i) {
        std::string name = Piece(p, end, 40);
        unsigned long attributes = p < end ? *p++ : 0;
        std::string final = Piece(p, end, 300);
        char joined[kReachPathSize], canonical[kReachPathSize];
        if (!JoinPath(joined, sizeof joined, install.c_str(), name.c_str()) ||
            !CanonicalPath(name == "." ? install.c_str() : joined, canonical, sizeof canonical) ||
            fs.Find(canonical) || (attributes & 3) == 3)
            continue;
        fs.entries.push_back({canonical, attributes & 1 ? 0x10 | kReparsePointAttribute : 0x20, final});
    }
    const PathQueries queries = {&fs, Attributes, FinalPath};
    ReachBase base;
    ResolveReachBase(&base, install.c_str(), queries);
    Reach reach = CheckReach(path, base, queries);
    if (reach == Reach::Gone && fs.Find(path))
        __builtin_trap();
    if (reach != Reach::Direct)
        return;
    if (!PathWithin(path, install.c_str(), false))
        __builtin_trap();
    for (const Entry& e : fs.entries)
        if ((e.attributes & kReparsePointAttribute) && PathWithin(path, e.canonical.c_str(), false) &&
            PathWithin(e.canonical.c_str(), install.c_str(), false))
            __builtin_trap();
    const Entry *file = fs.Find(path), *dir = fs.Find(install.c_str());
    if (fs.finals && (!file || !dir || !PathWithin(Stripped(file->final).c_str(), Stripped(dir->final).c_str(), false)))
        __builtin_trap();
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
    if (DecideFile(file.c_str(), dir.c_str(), true, path, sizeof path) == FileAction::Delete)
        CheckLinks(p, end, install, path);
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
