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
    shot.px.resize(static_cast<std::size_t>(shot.width) * shot.height);
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, shot.width, shot.height);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, shot.width, shot.height, screen, r.left, r.top, SRCCOPY);
    SelectObject(memory, previous);
    BITMAPINFO info = {{sizeof(BITMAPINFOHEADER), shot.width, -shot.height, 1, 32, BI_RGB, 0, 0, 0,
                        0, 0}, {}};
    GetDIBits(memory, bitmap, 0, shot.height, shot.px.data(), &info, DIB_RGB_COLORS);
    DeleteObject(bitmap);
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
