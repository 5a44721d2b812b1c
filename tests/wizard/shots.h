// Screen captures for the GUI tests: pixels as COLORREFs, in top-down rows.
#pragma once

#include <windows.h>

#include <algorithm>
#include <vector>

namespace shots {

struct Shot {
    int width = 0, height = 0;
    std::vector<COLORREF> px;

    COLORREF At(int x, int y) const { return px[static_cast<std::size_t>(y) * width + x]; }
    int Count(COLORREF c) const { return static_cast<int>(std::count(px.begin(), px.end(), c)); }
};

// The client area of `window`, as the screen shows it.
inline Shot Capture(HWND window)
{
    RECT r = {};
    GetClientRect(window, &r);
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&r), 2);
    Shot s = {r.right - r.left, r.bottom - r.top, {}};
    s.px.resize(static_cast<std::size_t>(s.width) * s.height);
    HDC screen = GetDC(nullptr), memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, s.width, s.height);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, s.width, s.height, screen, r.left, r.top, SRCCOPY);
    SelectObject(memory, previous);
    BITMAPINFO info = {{sizeof info.bmiHeader, s.width, -s.height, 1, 32, BI_RGB, 0, 0, 0, 0, 0},
                       {}};
    GetDIBits(memory, bitmap, 0, s.height, s.px.data(), &info, DIB_RGB_COLORS);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    for (COLORREF& c : s.px)  // 0x00RRGGBB, the DIB's order, to RGB()'s 0x00BBGGRR
        c = RGB(GetBValue(c), GetGValue(c), GetRValue(c));
    return s;
}

}  // namespace shots
