// Placeholder pages until the wizard is built: no page procedure handles
// anything and the restart prompt ends the program as Exit would.
#include "wizard/wizard.h"

#include "shell/shell.h"

INT_PTR CALLBACK ContinueDlgProc(HWND, UINT, WPARAM, LPARAM)
{
    return FALSE;
}

INT_PTR CALLBACK CompleteDlgProc(HWND, UINT, WPARAM, LPARAM)
{
    return FALSE;
}

void RunRestartPromptLoop(HWND owner)
{
    DestroyWindow(owner);
}
