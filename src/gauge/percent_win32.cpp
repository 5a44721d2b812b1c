// GAUGE32.DLL: the "Percent" control, a bar that shows how much of a phase is
// done with the percentage figure in its middle. Loading the library
// registers the class for every module of the process (CS_GLOBALCLASS).
#include <windows.h>

#include "gauge/gauge.h"
#include "gauge/meter.h"

namespace {

// Window extra bytes: the range, the position and the font set by the dialog.
constexpr int kRangeSlot = 0;
constexpr int kPositionSlot = sizeof(LONG_PTR);
constexpr int kFontSlot = 2 * sizeof(LONG_PTR);
constexpr int kExtraBytes = 3 * sizeof(LONG_PTR);

bool s_registered = false;

int Slot(HWND gauge, int slot)
{
    return static_cast<int>(GetWindowLongPtrA(gauge, slot));
}

GaugeReading Reading(HWND gauge)
{
    RECT client;
    GetClientRect(gauge, &client);
    return ReadGauge(Slot(gauge, kRangeSlot), Slot(gauge, kPositionSlot), client.right);
}

void SetSlot(HWND gauge, int slot, WPARAM value)
{
    GaugeReading before = Reading(gauge);
    // wParam carries a signed 32-bit count: 0xFFFFFFFE is -2, not 4 billion.
    SetWindowLongPtrA(gauge, slot, static_cast<LONG>(value));
    // Only what shows is painted again: a phase of many files sends far more
    // positions than the bar has pixels or the figure has steps.
    GaugeReading after = Reading(gauge);
    if (after.filled != before.filled || after.percent != before.percent)
        InvalidateRect(gauge, nullptr, FALSE);
}

void Paint(HWND gauge)
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(gauge, &paint);
    if (!dc)
        return;
    RECT client;
    GetClientRect(gauge, &client);

    // The parent may choose the colours (message 1028); these hold otherwise.
    SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHT));
    SetBkColor(dc, GetSysColor(COLOR_WINDOW));
    if (HWND parent = GetParent(gauge))
        SendMessageA(parent, kGaugeColours, reinterpret_cast<WPARAM>(dc), 0);
    COLORREF bar = GetTextColor(dc);
    COLORREF rest = GetBkColor(dc);

    GaugeReading reading = Reading(gauge);
    // 0 to 100 and the percent sign: far inside wsprintfA's reach.
    char text[8];
    int length = wsprintfA(text, "%d%%", reading.percent);

    HFONT font = reinterpret_cast<HFONT>(GetWindowLongPtrA(gauge, kFontSlot));
    HGDIOBJ previousFont = font ? SelectObject(dc, font) : nullptr;
    SIZE extent = {};
    GetTextExtentPoint32A(dc, text, length, &extent);
    int x = (client.right - extent.cx) / 2;
    int y = (client.bottom - extent.cy) / 2;

    // The figure is drawn twice, clipped to each part, so that it reads in
    // the opposite colour where the bar lies under it.
    RECT done = {0, 0, reading.filled, client.bottom};
    RECT left = {reading.filled, 0, client.right, client.bottom};
    SetBkColor(dc, bar);
    SetTextColor(dc, rest);
    ExtTextOutA(dc, x, y, ETO_OPAQUE | ETO_CLIPPED, &done, text, length, nullptr);
    SetBkColor(dc, rest);
    SetTextColor(dc, bar);
    ExtTextOutA(dc, x, y, ETO_OPAQUE | ETO_CLIPPED, &left, text, length, nullptr);

    if (previousFont)
        SelectObject(dc, previousFont);
    EndPaint(gauge, &paint);
}

LRESULT CALLBACK PercentWndProc(HWND gauge, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case kGaugeSetRange:
        SetSlot(gauge, kRangeSlot, wParam);
        return 0;
    case kGaugeSetPosition:
        SetSlot(gauge, kPositionSlot, wParam);
        return 0;
    case WM_SETFONT:
        SetWindowLongPtrA(gauge, kFontSlot, static_cast<LONG_PTR>(wParam));
        if (LOWORD(lParam))
            InvalidateRect(gauge, nullptr, FALSE);
        return 0;
    case WM_GETFONT:
        return GetWindowLongPtrA(gauge, kFontSlot);
    case WM_ERASEBKGND:
        return 1;  // WM_PAINT covers every pixel
    case WM_PAINT:
        Paint(gauge);
        return 0;
    default:
        return DefWindowProcA(gauge, message, wParam, lParam);
    }
}

BOOL RegisterPercentClass(HINSTANCE instance)
{
    WNDCLASSA wc = {};
    wc.style = CS_GLOBALCLASS | CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = PercentWndProc;
    wc.cbWndExtra = kExtraBytes;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.lpszClassName = kGaugeClass;
    if (RegisterClassA(&wc)) {
        s_registered = true;
        return TRUE;
    }
    // Another copy of the library is loaded and its class serves as well.
    return GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    switch (reason) {
    case DLL_PROCESS_ATTACH:
        DisableThreadLibraryCalls(instance);
        return RegisterPercentClass(instance);
    case DLL_PROCESS_DETACH:
        // On FreeLibrary the class must go with the code it points at, or the
        // next load would find a class whose procedure is gone. At process
        // end (reserved set) nothing is left to protect.
        if (s_registered && reserved == nullptr)
            UnregisterClassA(kGaugeClass, instance);
        return TRUE;
    default:
        return TRUE;
    }
}
