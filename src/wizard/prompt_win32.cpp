// The restart prompt (dialog 200): Restart or Exit, and nothing else. What
// either choice leads to is the caller's.
#include "base/base.h"
#include "resource.h"
#include "wizard/dialog_win32.h"
#include "wizard/wizard.h"

INT_PTR CALLBACK EndDlgProc(HWND prompt, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        SetWindowTextA(prompt, g_config.MainTitle);
        CentreOnScreen(prompt);
        CreatePageBrush(prompt);
        return TRUE;
    case WM_DESTROY:
        DeletePageBrush(prompt);
        return FALSE;
    case WM_COMMAND:
        // Only the two buttons end the prompt; Escape's IDCANCEL does nothing.
        if (LOWORD(wParam) == IDC_EXIT || LOWORD(wParam) == IDC_RESTART)
            EndDialog(prompt, LOWORD(wParam));
        return TRUE;
    case WM_CLOSE:
        return TRUE;
    default:
        if (IsColourRequest(message))
            return PageColours(prompt, message, reinterpret_cast<HDC>(wParam));
        return FALSE;
    }
}

INT_PTR ShowRestartPrompt(HWND owner)
{
    return DialogBoxParamA(g_instance, MAKEINTRESOURCEA(IDD_RESTART), owner, EndDlgProc, 0);
}
