// Centring and the grey colour scheme shared by the pages and the prompt.
#include "wizard/dialog_win32.h"

#include "base/base.h"

void CentreOnScreen(HWND dialog)
{
    RECT r;
    GetWindowRect(dialog, &r);
    // Signed division: a dialog larger than the screen goes to a negative
    // origin, truncated toward zero.
    int x = (GetSystemMetrics(SM_CXSCREEN) - (r.right - r.left)) / 2;
    int y = (GetSystemMetrics(SM_CYSCREEN) - (r.bottom - r.top)) / 2;
    SetWindowPos(dialog, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

void CreatePageBrush(HWND dialog)
{
    HBRUSH brush = CreateSolidBrush(RGB(192, 192, 192));
    SetWindowLongPtrA(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(brush));
}

void DeletePageBrush(HWND dialog)
{
    auto brush = reinterpret_cast<HBRUSH>(SetWindowLongPtrA(dialog, DWLP_USER, 0));
    if (brush)
        DeleteObject(brush);
}

INT_PTR PageColours(HWND dialog, UINT message, HDC dc)
{
    if (!IsColourDisplay(g_numColors))
        return FALSE;
    if (message == WM_CTLCOLORSTATIC) {
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, RGB(0, 0, 0));
    }
    return static_cast<INT_PTR>(GetWindowLongPtrA(dialog, DWLP_USER));
}
