// Screen captures for the GUI tests: a rectangle of the screen read in one BitBlt.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

namespace shots {

struct Shot {
    int width = 0, height = 0;
    std::vector<uint32_t> px;  // top-down rows of 0x00RRGGBB

    COLORREF At(int x, int y) const
    {
        uint32_t v = px[static_cast<std::size_t>(y) * width + x];
        return RGB((v >> 16) & 255, (v >> 8) & 255, v & 255);
    }
};

inline Shot Capture(const RECT& r)
{
    Shot shot;
    shot.width = r.right - r.left;
    shot.height = r.bottom - r.top;
    if (shot.width <= 0 || shot.height <= 0)
        return Shot();
    BITMAPINFO info = {{sizeof(BITMAPINFOHEADER), shot.width, -shot.height, 1, 32, BI_RGB, 0, 0, 0, 0, 0}, {}};
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (dib && bits) {
        HGDIOBJ previous = SelectObject(memory, dib);
        BitBlt(memory, 0, 0, shot.width, shot.height, screen, r.left, r.top, SRCCOPY);
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

// Client rectangle of `window` in screen coordinates.
inline RECT ScreenClientRect(HWND window)
{
    RECT r;
    GetClientRect(window, &r);
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

}  // namespace shots
