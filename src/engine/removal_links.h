// Whether deleting a path acts on what its text names, or is led elsewhere by
// a junction or symbolic link on the way. Without Windows calls: the caller
// supplies what the system reports about a path.
#pragma once

#include <cstddef>

#include "base/base.h"

// Attributes as GetFileAttributesA reports them.
constexpr unsigned long kNoAttributes = 0xFFFFFFFFul;           // nothing there
constexpr unsigned long kReparsePointAttribute = 0x400ul;       // a junction or link

// The answer of a final-path query.
enum class FinalPathAnswer {
    Found,        // `out` holds the path the system resolves
    Unavailable,  // the system has no such query (the 95 family, NT before Vista)
    Failed,       // it cannot be opened, or its final path does not fit
};

// What the system reports, as the caller reads it. The final path may come
// in the system's long form ("\\?\C:\..." or "\\?\UNC\server\share\...").
struct PathQueries {
    void* context;
    unsigned long (*attributes)(void* context, const char* path);
    FinalPathAnswer (*finalPath)(void* context, const char* path, char* out, std::size_t size);
};

// A path's form for the checks, and the final paths, hold any path of the
// program and the long form's prefix.
constexpr int kReachPathSize = kMaxPath + 16;

// A directory that the checked paths must lie in (the install, the Windows or
// the system directory), with where the system resolves it, read once: a
// path's final path, read at its check, must be this one joined with the
// path below the directory. Anything that changes under the directory later
// only makes its paths fail the check.
struct ReachBase {
    char path[kReachPathSize];  // canonical; empty when the directory does not fit
    FinalPathAnswer answer;
    char final[kReachPathSize];  // canonical, when Found
};
void ResolveReachBase(ReachBase* base, const char* dir, const PathQueries& queries);

enum class Reach {
    Direct,       // no link on the way, and it resolves where its text says
    Gone,         // nothing there to delete
    ThroughLink,  // a junction or link from the base on, or it resolves elsewhere
    Unchecked,    // outside the base, too long, or the system cannot say where
};
// Where deleting `path` would act. The base directory itself and every
// component below it must be no junction or link (a link to a file shows as
// a plain file on Wine, so the final path must catch that one); where the
// system has final paths, the path's must be the base's joined with the
// rest. `path` is queried exactly as the deletion will be given it.
Reach CheckReach(const char* path, const ReachBase& base, const PathQueries& queries);
// The reason the action log gives for a path that is kept.
const char* ReachReason(Reach reach);

// A final path without the long form's prefix: "\\?\C:\X" is "C:\X" and
// "\\?\UNC\S\H\X" is "\\S\H\X"; other paths are copied. False when it does
// not fit.
bool StripLongPrefix(const char* path, char* out, std::size_t size);
