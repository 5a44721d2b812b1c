// GAUGE32.DLL: the "Percent" control, a bar that shows how much of a phase is
// done with the percentage figure in its middle. Loading the library
// registers the class for every module of the process (CS_GLOBALCLASS).
#include <windows.h>

#include "gauge/gauge.h"
#include "gauge/meter.h"

namespace {

// What a control holds: the range, the position and the font set by the
// dialog. Kept in the process's own memory, reached through the one window
// extra slot: on NT and Wine every change of a window's extra bytes goes to
// the window server, and a phase sends two positions per file.
struct State {
    int range;
    int position;
    HFONT font;
};
constexpr int kStateSlot = 0;
constexpr int kExtraBytes = sizeof(LONG_PTR);

bool s_registered = false;

State* StateOf(HWND gauge)
{
    return reinterpret_cast<State*>(GetWindowLongPtrA(gauge, kStateSlot));
}

GaugeReading Reading(HWND gauge, const State& state)
{
    RECT client;
    GetClientRect(gauge, &client);
    return ReadGauge(state.range, state.position, client.right);
}

void Set(HWND gauge, int State::*field, WPARAM value)
{
    State* state = StateOf(gauge);
    if (!state)
        return;
    GaugeReading before = Reading(gauge, *state);
    // wParam carries a signed 32-bit count: 0xFFFFFFFE is -2, not 4 billion.
    state->*field = static_cast<int>(static_cast<LONG>(value));
    // Only what shows is painted again: a phase of many files sends far more
    // positions than the bar has pixels or the figure has steps.
    GaugeReading after = Reading(gauge, *state);
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

    State* state = StateOf(gauge);
    GaugeReading reading = state ? Reading(gauge, *state) : GaugeReading{0, 0};
    // 0 to 100 and the percent sign: far inside wsprintfA's reach.
    char text[8];
    int length = wsprintfA(text, "%d%%", reading.percent);

    HFONT font = state ? state->font : nullptr;
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
    case WM_NCCREATE: {
        auto* state = static_cast<State*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(State)));
        if (!state)
            return FALSE;
        SetWindowLongPtrA(gauge, kStateSlot, reinterpret_cast<LONG_PTR>(state));
        return DefWindowProcA(gauge, message, wParam, lParam);
    }
    case WM_NCDESTROY:
        if (State* state = StateOf(gauge))
            HeapFree(GetProcessHeap(), 0, state);
        SetWindowLongPtrA(gauge, kStateSlot, 0);
        return DefWindowProcA(gauge, message, wParam, lParam);
    case kGaugeSetRange:
        Set(gauge, &State::range, wParam);
        return 0;
    case kGaugeSetPosition:
        Set(gauge, &State::position, wParam);
        return 0;
    case WM_SETFONT:
        if (State* state = StateOf(gauge))
            state->font = reinterpret_cast<HFONT>(wParam);
        if (LOWORD(lParam))
            InvalidateRect(gauge, nullptr, FALSE);
        return 0;
    case WM_GETFONT: {
        State* state = StateOf(gauge);
        return reinterpret_cast<LRESULT>(state ? state->font : nullptr);
    }
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
