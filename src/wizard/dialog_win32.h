// Helpers that every wizard dialog shares: centring on the screen and the
// grey page colour scheme. Internal to src/wizard.
#pragma once

#include <windows.h>

// Moves the dialog so that it is centred on the screen; size unchanged.
void CentreOnScreen(HWND dialog);

// The page brush, solid RGB(192, 192, 192), kept in the dialog's DWLP_USER
// from initialisation until WM_DESTROY.
void CreatePageBrush(HWND dialog);
void DeletePageBrush(HWND dialog);

inline bool IsColourRequest(UINT message)
{
    return message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC;
}
// Answer to WM_CTLCOLORMSGBOX .. WM_CTLCOLORSTATIC: black text on the page
// brush on a colour display, FALSE (platform colours) otherwise.
INT_PTR PageColours(HWND dialog, UINT message, HDC dc);
