// The progress dialog (dialog 500): an operation line, an item line and the
// gauge of GAUGE32.DLL. It has no buttons and keeps no state of its own; the
// removal phases write into its controls.
#include "base/base.h"
#include "gauge/gauge.h"
#include "resource.h"
#include "wizard/dialog_win32.h"
#include "wizard/wizard.h"

namespace {

void ResetProgress(HWND dialog)
{
    SetDlgItemTextA(dialog, IDC_OPERATION_LINE, "");
    SetDlgItemTextA(dialog, IDC_ITEM_LINE, "");
    // Position first, then the range: the gauge never shows a position
    // beyond a range it has just been given.
    SendDlgItemMessageA(dialog, IDC_GAUGE, kGaugeSetPosition, 0, 0);
    SendDlgItemMessageA(dialog, IDC_GAUGE, kGaugeSetRange, 0, 0);
}

}  // namespace

INT_PTR CALLBACK StatusDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        SetWindowTextA(dialog, g_config.MainTitle);
        CentreOnScreen(dialog);
        return TRUE;
    case WM_SHOWWINDOW:
        if (wParam)
            ResetProgress(dialog);
        return FALSE;
    case kGaugeColours: {
        // The gauge asks while it paints: a blue bar on white.
        HDC dc = reinterpret_cast<HDC>(wParam);
        SetTextColor(dc, RGB(0, 0, 255));
        SetBkColor(dc, RGB(255, 255, 255));
        return 0;
    }
    case WM_CLOSE:
        return TRUE;  // the removal cannot be stopped halfway
    default:
        return FALSE;  // colour requests included: platform colours
    }
}
