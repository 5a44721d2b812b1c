// What the link check asks the system about a path: its attributes, and
// where a handle to it really leads.
#include "base/base.h"
#include "engine/engine.h"
#include "engine/removal.h"
#include "engine/removal_rules.h"

namespace {

using FinalPathFn = DWORD(WINAPI*)(HANDLE, LPSTR, DWORD, DWORD);
constexpr DWORD kVolumeNameDos = 0;  // VOLUME_NAME_DOS: "\\?\C:\..."

// Vista and later only. The 95 family has no links at all, and on NT before
// Vista a junction shows in the attributes; there the attributes decide.
FinalPathFn FinalPathFunction()
{
    static bool lookedUp = false;
    static FinalPathFn function = nullptr;
    if (!lookedUp) {
        HMODULE kernel = GetModuleHandleA("kernel32.dll");
        if (kernel)
            function = reinterpret_cast<FinalPathFn>(GetProcAddress(kernel, "GetFinalPathNameByHandleA"));
        lookedUp = true;
    }
    return function;
}

unsigned long ReadAttributes(void*, const char* path)
{
    return GetFileAttributesA(path);
}

FinalPathAnswer ReadFinalPath(void*, const char* path, char* out, std::size_t size)
{
    FinalPathFn finalPath = FinalPathFunction();
    if (!finalPath)
        return FinalPathAnswer::Unavailable;
    // No access asked for: a file that another program holds open without
    // sharing opens all the same. Directories open only with backup semantics.
    HANDLE file = CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return FinalPathAnswer::Failed;
    DWORD n = finalPath(file, out, static_cast<DWORD>(size), kVolumeNameDos);
    CloseHandle(file);
    // Too small a buffer gets the size it would need, and nothing in it.
    return n > 0 && n < size ? FinalPathAnswer::Found : FinalPathAnswer::Failed;
}

const PathQueries kSystemQueries = {nullptr, ReadAttributes, ReadFinalPath};

}  // namespace

RemovalBase::RemovalBase(const char* dir) : dir(dir)
{
    ResolveReachBase(&resolved, dir, kSystemQueries);
}

bool MayRemove(const RemovalBase& base, const char* path, const char* refusedAs)
{
    Reach reach = CheckReach(path, base.resolved, kSystemQueries);
    if (reach == Reach::Direct || reach == Reach::Gone)
        return true;
    char shown[kRemovalPathSize];
    PathForLog(path, shown, sizeof shown);
    LogAction("%s (%s): %s", refusedAs, ReachReason(reach), shown);
    return false;
}

bool MayRemove(const char* dir, const char* path, const char* refusedAs)
{
    return MayRemove(RemovalBase(dir), path, refusedAs);
}
