// What waits for the next start of Windows, and the order in which the
// system deletes it there.
#include "engine/restart.h"

#include <cstring>

#include "base/base.h"
#include "engine/removal_batch.h"
#include "engine/removal_rules.h"

DeferredList g_deferred;

namespace {

int Depth(const char* path)
{
    int n = 0;
    for (const char* p = path; *p; ++p)
        if (*p == '\\' || *p == '/')
            ++n;
    return n;
}

}  // namespace

bool CanNameAtRestart(const char* path, bool directory, int kind)
{
    if (std::strlen(path) >= kMaxPath)
        return false;
    return kind == kSystemDirElsewhere || BatchCanName(path, directory);
}

bool DeferToRestart(DeferredList* list, const char* path, const char* base, bool directory,
                    int kind)
{
    if (list->count >= kMaxDeferred || !CanNameAtRestart(path, directory, kind))
        return false;
    DeferredPath& entry = list->paths[list->count++];
    std::memcpy(entry.path, path, std::strlen(path) + 1);
    entry.base = base;
    entry.directory = directory;
    return true;
}

int DeferredOrder(const DeferredList& list, int order[kMaxDeferred])
{
    int n = 0;
    for (int i = 0; i < list.count; ++i)
        if (!list.paths[i].directory)
            order[n++] = i;
    // Folders by depth, deepest first; of equal depth, as they were met.
    int firstFolder = n;
    for (int i = 0; i < list.count; ++i) {
        if (!list.paths[i].directory)
            continue;
        int at = n++;
        int depth = Depth(list.paths[i].path);
        while (at > firstFolder && Depth(list.paths[order[at - 1]].path) < depth) {
            order[at] = order[at - 1];
            --at;
        }
        order[at] = i;
    }
    return n;
}

int RestartDeletionPaths(const DeferredList& list, QueuedPath out[kMaxQueued])
{
    const ConfigRecord& c = g_config;
    if (c.SystemDirKind != kSystemDirElsewhere || c.InstallDir[0] == '\0')
        return 0;
    if (!JoinPath(out[0].path, kMaxPath, c.InstallDir, "QORDELET.EXE"))
        return 0;
    out[0].base = c.InstallDir;
    out[0].deferredFile = false;
    int count = 1;
    int order[kMaxDeferred];
    int deferred = DeferredOrder(list, order);
    for (int i = 0; i < deferred; ++i) {
        const DeferredPath& entry = list.paths[order[i]];
        std::memcpy(out[count].path, entry.path, sizeof entry.path);
        out[count].base = entry.base;
        out[count].deferredFile = !entry.directory;
        ++count;
    }
    if (!IsPackageInstallDir())
        return count;
    QueuedPath& dir = out[count++];
    std::memcpy(dir.path, c.InstallDir, sizeof dir.path);
    std::size_t n = std::strlen(dir.path);
    if (n > 0 && dir.path[n - 1] == '\\')
        dir.path[n - 1] = '\0';
    dir.base = c.InstallDir;
    dir.deferredFile = false;
    return count;
}

void NoteFileLeft(const char* path)
{
    if (g_remains.left++ > 0)
        return;
    char* folder = g_remains.leftIn;
    PathForLog(path, folder, sizeof g_remains.leftIn);
    // A file at a drive's root was left in "C:\", not in "C:".
    if (char* slash = std::strrchr(folder, '\\'))
        slash[slash == folder + 2 && folder[1] == ':' ? 1 : 0] = '\0';
}
