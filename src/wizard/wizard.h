// The wizard dialogs: welcome and completion pages, the progress dialog and
// the restart prompt.
#pragma once

#include <windows.h>

INT_PTR CALLBACK ContinueDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK CompleteDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// Dialog 500, created hidden by the uninstall sequence; needs the "Percent"
// class of the gauge library.
INT_PTR CALLBACK StatusDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// Dialog 200; ends with the button chosen, 106 (Exit) or 107 (Restart).
INT_PTR CALLBACK EndDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// The `finish` handler: restart prompt until Exit or an accepted reboot.
void RunRestartPromptLoop(HWND owner);
// The end of an unattended run, in place of the completion page and the
// prompt: what Restart would leave for the next start of Windows is queued
// as Restart queues it, Windows is restarted only when /RESTART asks for it,
// the result is set and the main window destroyed.
void FinishUnattendedRun(HWND owner);

// Enables SeShutdownPrivilege in the process's token: NT refuses a restart
// without it, and it is disabled for every user until asked for. Where there
// are no privileges (the Windows 95 family) this does nothing. True when the
// privilege is enabled now.
bool EnableShutdownPrivilege();
// ExitWindowsEx(EWX_REBOOT), in a file of its own: a test that must see the
// restart requested without restarting the session links its own in its
// place (as it may for PrepareRestartRemoval).
bool RequestReboot();

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
