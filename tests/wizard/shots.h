// Screen captures for the GUI tests: a rectangle of the screen read in one
// BitBlt, and, when QOR_SHOTS_DIR names a folder, saved as a BMP for a person
// to look at.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace shots {

struct Shot {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> px;  // top-down rows of 0x00RRGGBB

    COLORREF At(int x, int y) const
    {
        uint32_t v = px[static_cast<std::size_t>(y) * width + x];
        return RGB((v >> 16) & 255, (v >> 8) & 255, v & 255);
    }
};

inline Shot Capture(const RECT& screenRect)
{
    Shot shot;
    shot.width = screenRect.right - screenRect.left;
    shot.height = screenRect.bottom - screenRect.top;
    if (shot.width <= 0 || shot.height <= 0)
        return Shot();
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = shot.width;
    info.bmiHeader.biHeight = -shot.height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (dib && bits) {
        HGDIOBJ previous = SelectObject(memory, dib);
        BitBlt(memory, 0, 0, shot.width, shot.height, screen, screenRect.left, screenRect.top,
               SRCCOPY);
        GdiFlush();
        const auto* p = static_cast<const uint32_t*>(bits);
        shot.px.assign(p, p + static_cast<std::size_t>(shot.width) * shot.height);
        SelectObject(memory, previous);
    }
    if (dib)
        DeleteObject(dib);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return shot;
}

inline Shot CaptureWindow(HWND window)
{
    RECT r;
    GetWindowRect(window, &r);
    return Capture(r);
}

// Client rectangle of `window` in screen coordinates.
inline RECT ScreenClientRect(HWND window)
{
    RECT r;
    GetClientRect(window, &r);
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

// Saves the shot as QOR_SHOTS_DIR\name.bmp when that variable is set.
inline void SaveIfAsked(const Shot& shot, const char* name)
{
    char dir[MAX_PATH];
    DWORD n = GetEnvironmentVariableA("QOR_SHOTS_DIR", dir, sizeof dir);
    if (n == 0 || n >= sizeof dir || shot.px.empty())
        return;
    std::string path = std::string(dir) + "\\" + name + ".bmp";
    BITMAPINFOHEADER info = {};
    info.biSize = sizeof info;
    info.biWidth = shot.width;
    info.biHeight = -shot.height;
    info.biPlanes = 1;
    info.biBitCount = 32;
    info.biCompression = BI_RGB;
    DWORD pixelBytes = static_cast<DWORD>(shot.px.size() * 4);
    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + pixelBytes;
    HANDLE f = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE)
        return;
    DWORD written;
    WriteFile(f, &file, sizeof file, &written, nullptr);
    WriteFile(f, &info, sizeof info, &written, nullptr);
    // The fourth byte of each pixel is 0 from the screen; viewers read it as
    // alpha, so it is written opaque.
    std::vector<uint32_t> opaque(shot.px);
    for (uint32_t& v : opaque)
        v |= 0xFF000000u;
    WriteFile(f, opaque.data(), pixelBytes, &written, nullptr);
    CloseHandle(f);
}

}  // namespace shots
