// The welcome page (dialog 651) and the completion page (dialog 921): modeless,
// owned by the main window, each with the page picture at its left. A page
// destroys itself before it tells the main window to go on.
#include "base/base.h"
#include "resource.h"
#include "wizard/dialog_win32.h"
#include "wizard/rules.h"
#include "wizard/wizard.h"

namespace {

constexpr int kPictureWidth = 120;  // LCNBMP's size, whatever the font's
constexpr int kPictureHeight = 225;  // dialog-unit scaling

void InitPage(HWND page)
{
    CentreOnScreen(page);
    CreatePageBrush(page);
    if (HWND picture = GetDlgItem(page, IDC_PAGE_BITMAP))
        SetWindowPos(picture, nullptr, 0, 0, kPictureWidth, kPictureHeight,
                     SWP_NOMOVE | SWP_NOZORDER);
}

void EndPage(HWND page, HWND* record)
{
    DeletePageBrush(page);
    // The message loop offers keys to the recorded page; a handle that could
    // be reused must not stay there.
    if (*record == page)
        *record = nullptr;
}

bool DrawItem(const DRAWITEMSTRUCT* item)
{
    if (item->CtlID != IDC_PAGE_BITMAP)
        return false;
    DrawPageBitmap(item);
    return true;
}

// Destroys the page, then sends `message` to its owner: the next stage of the
// run executes inside that SendMessageA.
void HandOver(HWND page, UINT message)
{
    HWND owner = GetWindow(page, GW_OWNER);
    DestroyWindow(page);
    if (owner)
        SendMessageA(owner, message, 0, 0);
}

void CancelUninstall(HWND page)
{
    HWND owner = GetWindow(page, GW_OWNER);
    // The notice is modal to the main window only; without this the page's
    // Next would still start the removal the user has just cancelled.
    EnableWindow(page, FALSE);
    SetRunResult(kExitFailed, "cancelled on the welcome page; nothing was removed");
    ShowMessage(g_instance, owner, IDS_NOT_COMPLETE, g_config.WarningCaption, kMessageStyle);
    // Destroying the main window takes the page with it and ends the program.
    DestroyWindow(owner ? owner : page);
}

void FillRemovedList(HWND page)
{
    char list[128];
    BuildRemovedList(list, sizeof list, g_pclFlag, g_postScriptFlag, g_monitorFlag);
    SetDlgItemTextA(page, IDC_REMOVED_LIST, list);
    SetDlgItemTextA(page, IDC_REMOVED_SETTINGS, RemovedSettingsText(g_groupFlag));
    char remains[2 * kMaxPath];
    BuildRemainsText(remains, sizeof remains, g_remains.waiting, g_remains.left, g_remains.leftIn);
    SetDlgItemTextA(page, IDC_REMAINS, remains);
}

}  // namespace

INT_PTR CALLBACK ContinueDlgProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        InitPage(page);
        return TRUE;  // focus to the first tab stop, Next
    case WM_DESTROY:
        EndPage(page, &g_welcomePage);
        return FALSE;
    case WM_DRAWITEM:
        return DrawItem(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_NEXT:
            HandOver(page, kStartUninstall);
            break;
        case IDC_PAGE_CANCEL:
            CancelUninstall(page);
            break;
        default:  // including IDCANCEL from Escape: nothing
            break;
        }
        return TRUE;
    case WM_CLOSE:
        return TRUE;  // Alt+F4 and the system menu's Close do nothing here
    default:
        if (IsColourRequest(message))
            return PageColours(page, message, reinterpret_cast<HDC>(wParam));
        return FALSE;
    }
}

INT_PTR CALLBACK CompleteDlgProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        InitPage(page);
        FillRemovedList(page);
        return TRUE;  // focus to the first tab stop, Finish
    case WM_DESTROY:
        EndPage(page, &g_completionPage);
        return FALSE;
    case WM_DRAWITEM:
        return DrawItem(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
    case WM_COMMAND:
        // Enter, Escape and the Close command (which default processing turns
        // into IDCANCEL) all finish.
        if (LOWORD(wParam) == IDC_NEXT || LOWORD(wParam) == IDCANCEL) {
            HandOver(page, kFinish);
            return TRUE;
        }
        return FALSE;
    default:
        if (IsColourRequest(message))
            return PageColours(page, message, reinterpret_cast<HDC>(wParam));
        return FALSE;
    }
}
