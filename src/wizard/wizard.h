// The wizard dialogs: welcome and completion pages, the progress dialog and
// the restart prompt.
#pragma once

#include <windows.h>

INT_PTR CALLBACK ContinueDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK CompleteDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// The `finish` handler: restart prompt until Exit or an accepted reboot.
void RunRestartPromptLoop(HWND owner);
