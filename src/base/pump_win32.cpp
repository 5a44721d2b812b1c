// The message pumps that long-running work calls so that the backdrop and the
// progress dialog keep repainting while files are deleted.
#include "base/base.h"

static bool s_quitPending = false;
static int s_quitCode = 0;

void DrainMessages()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            // The main window went away while work was running. The message
            // loop would never see this quit, so remember it for the loop.
            s_quitPending = true;
            s_quitCode = static_cast<int>(msg.wParam);
            continue;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

void DelayPumping(DWORD milliseconds)
{
    DWORD start = GetTickCount();
    // Unsigned difference: the tick counter's wrap-around does no harm.
    while (GetTickCount() - start < milliseconds)
        DrainMessages();
}

bool QuitPending(int* exitCode)
{
    if (s_quitPending && exitCode)
        *exitCode = s_quitCode;
    return s_quitPending;
}
