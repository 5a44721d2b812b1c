// The message box itself, behind ShowMessage.
#include "base/base.h"

int ShowMessageBox(HWND owner, const char* text, const char* caption, UINT style)
{
    return MessageBoxA(owner, text, caption, style);
}
