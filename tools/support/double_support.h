// What the test doubles in tools/ share: splitting their command line into
// arguments and appending lines to their log file. Header-only; the doubles
// link shlwapi for wvnsprintfA.
#pragma once

#include <windows.h>
#include <shlwapi.h>

#include <cstdarg>

// The next argument of a command line from `p` on, into `out` (`size` bytes,
// cut to fit): a run of non-blanks in which double quotes group blanks and are
// dropped. Returns where the argument ended, or nullptr when none is left.
inline const char* NextArgument(const char* p, char* out, int size)
{
    while (*p == ' ' || *p == '\t')
        ++p;
    if (!*p)
        return nullptr;
    int n = 0;
    bool quoted = false;
    for (; *p && (quoted || (*p != ' ' && *p != '\t')); ++p) {
        if (*p == '"') {
            quoted = !quoted;
            continue;
        }
        if (n < size - 1)
            out[n++] = *p;
    }
    out[n] = '\0';
    return p;
}

// Appends `line` and CR LF to the log file `path`; nothing without a path.
// The file is opened for each line and shared, so that a test can read it, or
// delete it, while the double runs.
inline void AppendLog(const char* path, const char* line)
{
    if (!path[0])
        return;
    HANDLE f = CreateFileA(path, FILE_APPEND_DATA,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE)
        return;
    DWORD written;
    WriteFile(f, line, lstrlenA(line), &written, nullptr);
    WriteFile(f, "\r\n", 2, &written, nullptr);
    CloseHandle(f);
}

// A wvnsprintfA line appended to the log file `path`; a longer line is cut
// at 1199 characters.
inline void AppendLogf(const char* path, const char* format, ...)
{
    char line[1200];
    va_list args;
    va_start(args, format);
    wvnsprintfA(line, sizeof line, format, args);
    va_end(args);
    AppendLog(path, line);
}
