// Helpers for the Windows tests: paths beside the test program, bounded waits
// for windows and processes, small file utilities, printers and keys to set up.
#pragma once

#include <windows.h>
#include <winspool.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace winsupport {

// Folder of the running test program (build/bin), with a trailing backslash.
inline std::string BinDir()
{
    char path[MAX_PATH];
    std::string s(path, GetModuleFileNameA(nullptr, path, sizeof path));
    return s.substr(0, s.find_last_of('\\') + 1);
}

inline std::string WindowsDir()
{
    char dir[MAX_PATH];
    return std::string(dir, GetWindowsDirectoryA(dir, sizeof dir));
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
    HWND w;
    for (DWORD start = GetTickCount(); !(w = FindWindowA(className, title)); PumpFor(50))
        if (GetTickCount() - start >= timeout)
            return nullptr;
    return w;
}

// A key as the keyboard sends it to the focus of `dialog`: 'E' Enter, 'S'
// Escape, 'F' Alt+F4 (which default processing turns into the system menu's
// Close); any other key is a click on the button `button`.
inline void PostDialogKey(HWND dialog, char key, int button = 0)
{
    HWND focus = GetFocus(), to = focus && IsChild(dialog, focus) ? focus : dialog;
    switch (key) {
    case 'E': PostMessageA(to, WM_KEYDOWN, VK_RETURN, 1); break;
    case 'S': PostMessageA(to, WM_KEYDOWN, VK_ESCAPE, 1); break;
    case 'F': PostMessageA(to, WM_SYSKEYDOWN, VK_F4, 0x20000001); break;  // Alt down
    default: PostMessageA(GetDlgItem(dialog, button), BM_CLICK, 0, 0);
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

    explicit Process(std::string cmd)
    {
        STARTUPINFOA si = {};
        si.cb = sizeof si;
        started = CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                 &si, &info) != 0;
    }
    ~Process()
    {
        if (!started)
            return;
        if (Running())
            TerminateProcess(info.hProcess, 99);
        CloseHandle(info.hThread);
        CloseHandle(info.hProcess);
    }
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    // Exit code, or -1 when the process did not end within `timeout` ms.
    long WaitExit(DWORD timeout = 10000)
    {
        DWORD code = 0;
        if (WaitForSingleObject(info.hProcess, timeout) != WAIT_OBJECT_0)
            return -1;
        GetExitCodeProcess(info.hProcess, &code);
        return static_cast<long>(code);
    }
    bool Running() { return WaitForSingleObject(info.hProcess, 0) == WAIT_TIMEOUT; }
};

inline bool WriteFileText(const std::string& path, const std::string& text)
{
    std::ofstream f(path, std::ios::binary);
    return f.write(text.data(), text.size()).flush().good();
}

// The whole file, bytes as they are.
inline bool ReadFileText(const std::string& path, std::string* text)
{
    std::ifstream f(path, std::ios::binary);
    if (f.is_open())
        text->assign(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
    return f.is_open();
}

// The CRLF-terminated lines of a file, as the test doubles write their logs;
// empty when it cannot be read.
inline std::vector<std::string> Lines(const std::string& path)
{
    std::string text;
    std::vector<std::string> lines;
    ReadFileText(path, &text);
    for (size_t at = 0, end; (end = text.find("\r\n", at)) != std::string::npos; at = end + 2)
        lines.push_back(text.substr(at, end - at));
    return lines;
}

inline std::string TempFile(const char* name)
{
    char dir[MAX_PATH];
    return std::string(dir, GetTempPathA(sizeof dir, dir)) + name;
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

// A driver of that name on Wine's PostScript driver and, unless `driverOnly`,
// a printer of the same name on LPT1: using it, as the package installs them;
// `driverName` names the driver otherwise.
inline bool AddTestPrinter(const char* name, bool driverOnly = false, const char* driverName = nullptr)
{
    DRIVER_INFO_3A driver = {};
    PRINTER_INFO_2A info = {};
    driver.cVersion = 3;
    driver.pName = info.pPrinterName = info.pDriverName = const_cast<char*>(name);
    if (driverName)
        driver.pName = info.pDriverName = const_cast<char*>(driverName);
    driver.pDriverPath = driver.pConfigFile = const_cast<char*>("wineps.drv");
    driver.pDataFile = const_cast<char*>("generic.ppd");
    info.pPortName = const_cast<char*>("LPT1:");
    info.pPrintProcessor = const_cast<char*>("wineps");
    info.pDatatype = const_cast<char*>("RAW");
    if (!AddPrinterDriverA(nullptr, 3, reinterpret_cast<BYTE*>(&driver)))
        return false;
    HANDLE printer = driverOnly ? nullptr : AddPrinterA(nullptr, 2, reinterpret_cast<BYTE*>(&info));
    return driverOnly || (printer && ClosePrinter(printer));
}

inline bool PrinterExists(const char* name)
{
    HANDLE printer;
    return OpenPrinterA(const_cast<char*>(name), &printer, nullptr) && ClosePrinter(printer);
}

// Keys under HKEY_LOCAL_MACHINE.
inline bool MakeKey(const std::string& path)
{
    HKEY key;
    return RegCreateKeyA(HKEY_LOCAL_MACHINE, path.c_str(), &key) == 0 && RegCloseKey(key) == 0;
}

inline bool KeyExists(const std::string& path)
{
    HKEY key;
    return RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key) == 0 &&
           RegCloseKey(key) == 0;
}

}  // namespace winsupport
