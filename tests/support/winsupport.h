// Helpers for the Windows tests: paths beside the test program, bounded waits
// for windows and processes, small file utilities.
#pragma once

#include <windows.h>

#include <string>

namespace winsupport {

// Folder of the running test program (build/bin), with a trailing backslash.
inline std::string BinDir()
{
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
    std::string s(path, n);
    return s.substr(0, s.find_last_of('\\') + 1);
}

inline std::string WindowsDir()
{
    char dir[MAX_PATH];
    GetWindowsDirectoryA(dir, sizeof dir);
    return dir;
}

// Pumps this thread's messages while waiting, so windows of the test itself
// stay responsive.
inline void PumpFor(DWORD milliseconds)
{
    DWORD start = GetTickCount();
    do {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        Sleep(10);
    } while (GetTickCount() - start < milliseconds);
}

// Waits up to `timeout` ms for a top-level window; null when none came.
inline HWND WaitForWindow(const char* className, const char* title, DWORD timeout = 10000)
{
    DWORD start = GetTickCount();
    for (;;) {
        HWND w = FindWindowA(className, title);
        if (w || GetTickCount() - start >= timeout)
            return w;
        PumpFor(50);
    }
}

inline std::string WindowText(HWND w)
{
    char text[1024];
    int n = GetWindowTextA(w, text, sizeof text);
    return std::string(text, n > 0 ? n : 0);
}

// A started process; the destructor kills it if it is still running.
struct Process {
    PROCESS_INFORMATION info = {};
    bool started = false;

    explicit Process(const std::string& commandLine)
    {
        STARTUPINFOA si = {};
        si.cb = sizeof si;
        std::string cmd = commandLine;
        started = CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                 &si, &info) != 0;
    }
    ~Process()
    {
        if (!started)
            return;
        if (WaitForSingleObject(info.hProcess, 0) == WAIT_TIMEOUT)
            TerminateProcess(info.hProcess, 99);
        CloseHandle(info.hThread);
        CloseHandle(info.hProcess);
    }
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    // Exit code, or -1 when the process did not end within `timeout` ms.
    long WaitExit(DWORD timeout = 10000)
    {
        if (WaitForSingleObject(info.hProcess, timeout) != WAIT_OBJECT_0)
            return -1;
        DWORD code = 0;
        GetExitCodeProcess(info.hProcess, &code);
        return static_cast<long>(code);
    }
    bool Running() { return WaitForSingleObject(info.hProcess, 0) == WAIT_TIMEOUT; }
};

inline bool WriteFileText(const std::string& path, const std::string& text)
{
    HANDLE f = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    BOOL ok = WriteFile(f, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(f);
    return ok && written == text.size();
}

inline bool ReadFileText(const std::string& path, std::string* text)
{
    HANDLE f = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE)
        return false;
    text->clear();
    char buf[4096];
    DWORD n;
    while (ReadFile(f, buf, sizeof buf, &n, nullptr) && n > 0)
        text->append(buf, n);
    CloseHandle(f);
    return true;
}

inline bool FileExists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Colour of a screen pixel, as a COLORREF.
inline COLORREF ScreenPixel(int x, int y)
{
    HDC dc = GetDC(nullptr);
    COLORREF c = GetPixel(dc, x, y);
    ReleaseDC(nullptr, dc);
    return c;
}

}  // namespace winsupport
