// Component shutdown: asks the package's running programs, found by the
// classes of their top-level windows, to end, and waits for those that must be
// gone before their files are deleted.
#include <windows.h>

#include "engine/components.h"
#include "shell/shell.h"

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

HWND FindComponent(const char* className)
{
    return FindWindowA(className, nullptr);
}

// Polls until no window of the class is left, keeping our own windows
// painted. Starts from the window found just before: nothing found, no wait.
void WaitUntilGone(HWND found, const char* className)
{
    while (found) {
        DrainMessages();
        found = FindComponent(className);
    }
}

HWND SendShutdown(const char* className, LPARAM final)
{
    HWND window = FindComponent(className);
    if (window)
        SendMessageA(window, kShutdownRequest, kShutdownCode, final);
    return window;
}

}  // namespace

void CloseRunningComponents()
{
    HWND window = FindComponent(kMonitorClass);
    if (window)
        SendMessageA(window, WM_CLOSE, 0, 0);
    WaitUntilGone(window, kMonitorClass);

    // The PCL program is told first with 1 and not waited for; the spooler
    // goes next, and only then is the PCL program told to end for good.
    SendShutdown(kPclClass, 1);

    WaitUntilGone(SendShutdown(kSpoolerClass, 0), kSpoolerClass);
    WaitUntilGone(SendShutdown(kPclClass, 0), kPclClass);

    // The status box ends on a posted WM_DESTROY; it is its own protocol.
    window = FindComponent(kStatusBoxClass);
    if (window)
        PostMessageA(window, WM_DESTROY, 0, 0);
    WaitUntilGone(window, kStatusBoxClass);

    WaitUntilGone(SendShutdown(kPanelClass, 0), kPanelClass);

    // Holds no file that the removal needs: told, not waited for.
    SendShutdown(kFontMonitorClass, 0);
}
