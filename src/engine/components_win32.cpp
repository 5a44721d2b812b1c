// Component shutdown: asks the package's running programs, found by the
// classes of their top-level windows, to end, and waits for those that must be
// gone before their files are deleted.
#include <windows.h>

#include "base/base.h"
#include "engine/engine.h"

namespace {

// The package's own shutdown request; the receiver closes its window.
constexpr UINT kShutdownRequest = 0x221F;
constexpr WPARAM kShutdownCode = 0x1E1F;

constexpr char kMonitorClass[] = "QVTPClass";
constexpr char kPclClass[] = "WinPCLClass";
constexpr char kSpoolerClass[] = "SpoolerClass";
constexpr char kStatusBoxClass[] = "PRINTERSTATUSBOX";
constexpr char kPanelClass[] = "PanelClass";
constexpr char kFontMonitorClass[] = "Font Monitor";

// How long one component may take to close once asked. A component that
// hangs, or asks its user something and waits, must not hold the uninstall
// for ever: after this the removal carries on, as for a file in use.
constexpr DWORD kComponentTimeout = 30000;
// The waits poll this often and sleep in between.
constexpr DWORD kPollInterval = 50;

HWND FindComponent(const char* className)
{
    return FindWindowA(className, nullptr);
}

DWORD Elapsed(DWORD start)
{
    // Unsigned difference: the tick counter's wrap-around does no harm.
    return GetTickCount() - start;
}

// Polls, from `start` on, until no window of the class is left or the
// component's time is up, keeping our own windows painted. Starts from the
// window found just before: nothing found, no wait.
void WaitUntilGone(HWND found, const char* className, DWORD start)
{
    if (!found)
        return;
    while (found && Elapsed(start) < kComponentTimeout) {
        DrainMessages();
        MsgWaitForMultipleObjects(0, nullptr, FALSE, kPollInterval, QS_ALLINPUT);
        found = FindComponent(className);
    }
    if (found)
        LogAction("Program still running after %d s, the removal goes on: %s",
                  static_cast<int>(kComponentTimeout / 1000), className);
    else
        LogAction("Program closed: %s", className);
}

// How many requests of this run found a program of the package's running.
int s_asked;

// Sends a request to a component's window and returns the window. The
// answer comes inside the call, so it is bounded by the component's time.
HWND Ask(const char* className, UINT message, WPARAM wParam, LPARAM lParam)
{
    HWND window = FindComponent(className);
    if (window) {
        ++s_asked;
        LogAction("Program asked to close: %s", className);
        DWORD_PTR ignored = 0;
        SendMessageTimeoutA(window, message, wParam, lParam, SMTO_ABORTIFHUNG, kComponentTimeout,
                            &ignored);
    }
    return window;
}

HWND SendShutdown(const char* className, LPARAM final)
{
    return Ask(className, kShutdownRequest, kShutdownCode, final);
}

}  // namespace

int CloseRunningComponents()
{
    s_asked = 0;
    DWORD start = GetTickCount();
    WaitUntilGone(Ask(kMonitorClass, WM_CLOSE, 0, 0), kMonitorClass, start);

    // The PCL program is told first with 1 and not waited for; the spooler
    // goes next, and only then is the PCL program told to end for good.
    SendShutdown(kPclClass, 1);

    start = GetTickCount();
    WaitUntilGone(SendShutdown(kSpoolerClass, 0), kSpoolerClass, start);
    start = GetTickCount();
    WaitUntilGone(SendShutdown(kPclClass, 0), kPclClass, start);

    // The status box ends on a posted WM_DESTROY; it is its own protocol.
    start = GetTickCount();
    HWND window = FindComponent(kStatusBoxClass);
    if (window) {
        ++s_asked;
        LogAction("Program asked to close: %s", kStatusBoxClass);
        PostMessageA(window, WM_DESTROY, 0, 0);
    }
    WaitUntilGone(window, kStatusBoxClass, start);

    start = GetTickCount();
    WaitUntilGone(SendShutdown(kPanelClass, 0), kPanelClass, start);

    // Holds no file that the removal needs: told, not waited for.
    SendShutdown(kFontMonitorClass, 0);
    return s_asked;
}
