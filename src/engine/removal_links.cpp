// The check that a deletion acts where the path's text says and is not led
// elsewhere by a junction or symbolic link, over the system's answers that
// the caller supplies.
#include "engine/removal_links.h"

#include <cstring>

#include "base/base.h"
#include "engine/removal_rules.h"

namespace {

// The first `length` characters of a canonical path as the system is asked
// about them: a drive's root keeps its backslash, since "C:" alone names the
// drive's current directory. A directory asked about with a trailing
// backslash is the link's target, not the link.
bool QueryForm(const char* canonical, std::size_t length, char* out, std::size_t size)
{
    if (length + 2 > size)
        return false;
    std::memcpy(out, canonical, length);
    if (length == 2 && canonical[1] == ':')
        out[length++] = '\\';
    out[length] = '\0';
    return true;
}

// A drive ("C:", in upper case in a canonical path) or a server's share
// ("\\S\H") begins the path: a relative path would be resolved from a
// current directory that the check does not see.
bool IsAbsolute(const char* canonical)
{
    char c = canonical[0];
    return (c >= 'A' && c <= 'Z' && canonical[1] == ':') || (c == '\\' && canonical[1] == '\\');
}

// A final path is a whole one, from a drive or a share, or none at all.
bool CanonicalFinal(const char* final, char* out, std::size_t size)
{
    char stripped[kReachPathSize];
    return StripLongPrefix(final, stripped, sizeof stripped) && CanonicalPath(stripped, out, size) &&
           IsAbsolute(out);
}

}  // namespace

bool StripLongPrefix(const char* path, char* out, std::size_t size)
{
    const char* lead = "";
    const char* rest = path;
    if (std::strncmp(path, "\\\\?\\UNC\\", 8) == 0) {
        lead = "\\\\";
        rest = path + 8;
    } else if (std::strncmp(path, "\\\\?\\", 4) == 0) {
        rest = path + 4;
    }
    return FormatText(out, size, "%s%s", lead, rest) >= 0;
}

void ResolveReachBase(ReachBase* base, const char* dir, const PathQueries& queries)
{
    base->answer = FinalPathAnswer::Failed;
    char query[kReachPathSize];
    if (!CanonicalPath(dir, base->path, sizeof base->path) || !IsAbsolute(base->path) ||
        !QueryForm(base->path, std::strlen(base->path), query, sizeof query)) {
        base->path[0] = '\0';
        return;
    }
    char final[kReachPathSize];
    base->answer = queries.finalPath(queries.context, query, final, sizeof final);
    if (base->answer == FinalPathAnswer::Found && !CanonicalFinal(final, base->final, sizeof base->final))
        base->answer = FinalPathAnswer::Failed;
}

Reach CheckReach(const char* path, const ReachBase& base, const PathQueries& queries)
{
    char canonical[kReachPathSize];
    if (base.path[0] == '\0' || !CanonicalPath(path, canonical, sizeof canonical))
        return Reach::Unchecked;
    std::size_t baseLength = std::strlen(base.path);
    std::size_t length = std::strlen(canonical);
    if (std::strncmp(canonical, base.path, baseLength) != 0 ||
        (canonical[baseLength] != '\0' && canonical[baseLength] != '\\'))
        return Reach::Unchecked;

    // The base itself, then each component below it up to the path.
    for (std::size_t end = baseLength;;) {
        char query[kReachPathSize];
        if (!QueryForm(canonical, end, query, sizeof query))
            return Reach::Unchecked;
        unsigned long attributes = queries.attributes(queries.context, query);
        if (attributes == kNoAttributes) {
            // A missing folder on the way leaves nothing to delete, unless
            // the system finds the path all the same.
            if (end == length)
                return Reach::Gone;
            if (!QueryForm(canonical, length, query, sizeof query) ||
                queries.attributes(queries.context, query) != kNoAttributes)
                return Reach::Unchecked;
            return Reach::Gone;
        }
        if (attributes & kReparsePointAttribute)
            return Reach::ThroughLink;
        if (end == length)
            break;
        const char* next = std::strchr(canonical + end + 1, '\\');
        end = next ? static_cast<std::size_t>(next - canonical) : length;
    }

    // Where the system really leads: the path exactly as the deletion gets it.
    char final[kReachPathSize];
    FinalPathAnswer answer = queries.finalPath(queries.context, path, final, sizeof final);
    // Without final paths there are no file links, and a junction shows in
    // the attributes.
    if (answer == FinalPathAnswer::Unavailable)
        return Reach::Direct;
    if (answer != FinalPathAnswer::Found || base.answer != FinalPathAnswer::Found)
        return Reach::Unchecked;
    char resolved[kReachPathSize];
    char expected[kReachPathSize];
    if (!CanonicalFinal(final, resolved, sizeof resolved) ||
        FormatText(expected, sizeof expected, "%s%s", base.final, canonical + baseLength) < 0)
        return Reach::Unchecked;
    return CompareNoCase(resolved, expected) == 0 ? Reach::Direct : Reach::ThroughLink;
}

const char* ReachReason(Reach reach)
{
    switch (reach) {
    case Reach::ThroughLink:
        return "reached through a link";
    case Reach::Unchecked:
        return "where it leads cannot be checked";
    default:
        return "";
    }
}
