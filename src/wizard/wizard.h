// The wizard dialogs: the welcome and completion pages, the progress dialog and
// the restart prompt. They report what the user chose; what follows from it
// (the removal, the batch, the restart) is the application's.
#pragma once

#include <windows.h>

INT_PTR CALLBACK ContinueDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK CompleteDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// Dialog 500, created hidden by the uninstall sequence; needs the "Percent"
// class of the gauge library.
INT_PTR CALLBACK StatusDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// Dialog 200; ends with the button chosen, 106 (Exit) or 107 (Restart).
INT_PTR CALLBACK EndDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// Shows the restart prompt, modal to `owner`, and returns the user's choice:
// IDC_RESTART or IDC_EXIT, or 0 or -1 when the prompt could not be shown.
INT_PTR ShowRestartPrompt(HWND owner);

// Paints "LCNBMP" at the top left of the owner-drawn picture control.
void DrawPageBitmap(const DRAWITEMSTRUCT* item);
// Bitmap resource `name` as a device-dependent bitmap for the screen, and in
// *palette the palette built from its colour table (or null). Null, with no
// palette, when the resource is missing or not a whole uncompressed DIB. The
// caller deletes both.
HBITMAP LoadPaletteBitmap(HINSTANCE instance, const char* name, HPALETTE* palette);
// The logical palette of a packed DIB's colour table (null for more than 8
// bits per pixel), and in *entries the number of table entries. `header`
// must start a DIB that ParseDibLayout accepted.
HPALETTE PaletteFromDib(const BITMAPINFOHEADER* header, int* entries);
