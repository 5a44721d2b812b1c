// qorcut.exe's stand-ins for the program's writers and deletions: each does
// what the program's own does, and the run stops at the moment that
// QOR_CUT names, as a power cut would find it:
//   text:N     once N bytes of the INI passes' new texts are written
//   profile:N  before profile write N (counted from 0)
//   delete:N   before file deletion N
//   rmdir:N    before directory removal N
// There it creates the file that QOR_CUT_SIGNAL names and waits for the
// session to be killed.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "engine/removal.h"
#include "inirestore/inirestore.h"

namespace {

// The count at which `kind` stops, or -1.
long CutAt(const char* kind)
{
    char cut[64];
    DWORD n = GetEnvironmentVariableA("QOR_CUT", cut, sizeof cut);
    if (n == 0 || n >= sizeof cut)
        return -1;
    char* colon = std::strchr(cut, ':');
    if (!colon)
        return -1;
    *colon = '\0';
    return std::strcmp(cut, kind) == 0 ? std::atol(colon + 1) : -1;
}

[[noreturn]] void Stop()
{
    char signal[MAX_PATH];
    DWORD n = GetEnvironmentVariableA("QOR_CUT_SIGNAL", signal, sizeof signal);
    if (n > 0 && n < sizeof signal) {
        HANDLE file = CreateFileA(signal, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        if (file != INVALID_HANDLE_VALUE)
            CloseHandle(file);
    }
    for (;;)
        Sleep(INFINITE);
}

// Counts calls of `kind` and stops before the one QOR_CUT names.
void Count(const char* kind, long* calls)
{
    if (*calls == CutAt(kind))
        Stop();
    ++*calls;
}

}  // namespace

bool WriteIniText(const char* text, std::size_t length, void* file)
{
    static std::size_t written = 0;
    auto* out = static_cast<std::FILE*>(file);
    long cut = CutAt("text");
    if (cut >= 0 && written + length >= static_cast<std::size_t>(cut)) {
        std::size_t part = static_cast<std::size_t>(cut) - written;
        std::fwrite(text, 1, part, out);
        std::fflush(out);
        Stop();
    }
    written += length;
    return std::fwrite(text, 1, length, out) == length;
}

bool WriteProfileValue(const char* file, const char* section, const char* key, const char* value)
{
    static long calls = 0;
    Count("profile", &calls);
    if (file)
        return WritePrivateProfileStringA(section, key, value, file) != 0;
    return WriteProfileStringA(section, key, value) != 0;
}

bool DeleteRemovalFile(const char* path)
{
    static long calls = 0;
    Count("delete", &calls);
    return DeleteFileA(path) != 0;
}

bool RemoveRemovalDirectory(const char* path)
{
    static long calls = 0;
    Count("rmdir", &calls);
    return RemoveDirectoryA(path) != 0;
}
