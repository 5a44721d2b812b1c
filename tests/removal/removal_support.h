// Helpers of the removal tests under wine: a scratch tree on drive C:, and a
// stand-in progress dialog whose "Percent" control records what it is sent.
#pragma once

#include <windows.h>

#include <ostream>
#include <string>
#include <vector>

#include "support/winsupport.h"

namespace removaltest {

inline void MakeDirs(const std::string& path)
{
    for (std::size_t at = path.find('\\', 3); at != std::string::npos; at = path.find('\\', at + 1))
        CreateDirectoryA(path.substr(0, at).c_str(), nullptr);
    CreateDirectoryA(path.c_str(), nullptr);
}

inline void MakeFile(const std::string& path, const std::string& text = "x")
{
    MakeDirs(path.substr(0, path.find_last_of('\\')));
    winsupport::WriteFileText(path, text);
}

inline bool Exists(const std::string& path)
{
    return winsupport::FileExists(path);
}

inline std::string Read(const std::string& path)
{
    std::string text;
    if (!winsupport::ReadFileText(path, &text))
        return "<missing>";
    return text;
}

// Removes a scratch tree, read-only files included.
inline void RemoveTree(const std::string& dir)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((dir + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::string name = found.cFileName;
            if (name == "." || name == "..")
                continue;
            std::string path = dir + "\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(path);
            } else {
                SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(path.c_str());
            }
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(dir.c_str());
}

// What the gauge control received, with the item line at that moment.
struct GaugeEvent {
    UINT message;
    int value;
    std::string item;
    bool operator==(const GaugeEvent& o) const
    {
        return message == o.message && value == o.value && item == o.item;
    }
};

inline std::vector<GaugeEvent>& GaugeLog()
{
    static std::vector<GaugeEvent> log;
    return log;
}

inline std::ostream& operator<<(std::ostream& out, const GaugeEvent& e)
{
    return out << (e.message == WM_USER ? "range " : e.message == WM_USER + 2 ? "position " : "?")
               << e.value << " [" << e.item << "]";
}

inline LRESULT CALLBACK RecordingGaugeProc(HWND w, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_USER || message == WM_USER + 2) {
        char item[256] = "";
        GetDlgItemTextA(GetParent(w), 104, item, sizeof item);
        GaugeLog().push_back({message, static_cast<int>(wParam), item});
        return 0;
    }
    return DefWindowProcA(w, message, wParam, lParam);
}

// A window with the progress dialog's controls: operation line 103, item
// line 104 and a recording "Percent" control 100.
struct StandInProgress {
    HWND window = nullptr;

    StandInProgress()
    {
        HINSTANCE instance = GetModuleHandleA(nullptr);
        WNDCLASSA gauge = {};
        gauge.lpfnWndProc = RecordingGaugeProc;
        gauge.hInstance = instance;
        gauge.lpszClassName = "Percent";
        RegisterClassA(&gauge);  // fails harmlessly when a test made it already
        window = CreateWindowExA(0, "STATIC", "progress", WS_POPUP, 100, 100, 400,
                                 150, nullptr, nullptr, instance, nullptr);
        CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, 10, 5, 300, 16, window,
                        reinterpret_cast<HMENU>(103), instance, nullptr);
        CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, 10, 25, 300, 16, window,
                        reinterpret_cast<HMENU>(104), instance, nullptr);
        CreateWindowExA(0, "Percent", "", WS_CHILD | WS_VISIBLE | WS_BORDER, 10, 60, 300, 30,
                        window, reinterpret_cast<HMENU>(100), instance, nullptr);
        GaugeLog().clear();
    }
    ~StandInProgress() { DestroyWindow(window); }
    StandInProgress(const StandInProgress&) = delete;
    StandInProgress& operator=(const StandInProgress&) = delete;

    std::string Line(int id) const
    {
        char text[256] = "";
        GetDlgItemTextA(window, id, text, sizeof text);
        return text;
    }
};

}  // namespace removaltest
