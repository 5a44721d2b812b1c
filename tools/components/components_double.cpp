// components_double.exe: stand-ins for the package's running programs in
// tests and demos. Each named component is a top-level window of that
// program's class that logs the requests it receives and closes as told; the
// program ends when its last window has closed.
//
// Command line:
//   components_double.exe /log FILE [/show] COMPONENT[:BEHAVIOUR]...
//   COMPONENT   qvtp      window class "QVTPClass"
//               winpcl    "WinPCLClass"
//               spooler   "SpoolerClass"
//               statusbox "PRINTERSTATUSBOX"
//               panel     "PanelClass"
//               fontmon   "Font Monitor"
//               all       all six, with the same behaviour
//   BEHAVIOUR   close     close on the first request (the default)
//               ignore1   ignore the first request, close on the next
//               never     never close
//               delay     close 500 ms after the first request
//   /show       show the windows (hidden otherwise)
// A request is WM_CLOSE, the package's shutdown message 8735 (0x221F), or a
// posted WM_DESTROY (the window is still there when it arrives).
//
// Log lines, appended to FILE in the order things happen:
//   <class> WM_CLOSE
//   <class> 8735 <wParam> <lParam>
//   <class> WM_DESTROY
//   <class> gone                  (the window is being destroyed)
#include <windows.h>

#include <cstring>

#include "support/double_support.h"

namespace {

constexpr UINT kShutdownRequest = 0x221F;
constexpr UINT_PTR kDelayTimer = 1;
constexpr UINT kDelayMs = 500;

enum Behaviour { kClose, kIgnoreFirst, kNever, kDelay };

struct Component {
    const char* key;
    const char* className;
    bool wanted = false;
    Behaviour behaviour = kClose;
    HWND window = nullptr;
    int requests = 0;
    bool closing = false;  // our own DestroyWindow runs: its WM_DESTROY is no request
};

Component g_components[] = {
    {"qvtp", "QVTPClass"},       {"winpcl", "WinPCLClass"},   {"spooler", "SpoolerClass"},
    {"statusbox", "PRINTERSTATUSBOX"}, {"panel", "PanelClass"}, {"fontmon", "Font Monitor"},
};

char g_log[MAX_PATH];
int g_open;

Component* Of(HWND window)
{
    for (Component& c : g_components)
        if (c.window == window)
            return &c;
    return nullptr;
}

void Close(Component* c)
{
    c->closing = true;
    DestroyWindow(c->window);
}

// A request arrived: close now, later or never, as the component was told.
void OnRequest(Component* c)
{
    int count = ++c->requests;
    switch (c->behaviour) {
    case kClose:
        Close(c);
        break;
    case kIgnoreFirst:
        if (count > 1)
            Close(c);
        break;
    case kDelay:
        if (count == 1)
            SetTimer(c->window, kDelayTimer, kDelayMs, nullptr);
        break;
    case kNever:
        break;
    }
}

LRESULT CALLBACK ComponentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    Component* c = Of(window);
    if (!c)
        return DefWindowProcA(window, message, wParam, lParam);
    switch (message) {
    case WM_CLOSE:
        AppendLogf(g_log, "%s WM_CLOSE", c->className);
        OnRequest(c);
        return 0;
    case kShutdownRequest:
        AppendLogf(g_log, "%s 8735 %u %ld", c->className, static_cast<unsigned>(wParam),
                   static_cast<long>(lParam));
        OnRequest(c);
        return 0;
    case WM_TIMER:
        if (wParam == kDelayTimer) {
            KillTimer(window, kDelayTimer);
            Close(c);
        }
        return 0;
    case WM_DESTROY:
        // Logged while the window can still be found: whoever waits for it
        // to go sees this line first.
        if (c->closing)
            AppendLogf(g_log, "%s gone", c->className);
        else {
            AppendLogf(g_log, "%s WM_DESTROY", c->className);
            OnRequest(c);
        }
        return 0;
    case WM_NCDESTROY:
        c->window = nullptr;
        if (--g_open == 0)
            PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

bool ParseBehaviour(const char* word, Behaviour* out)
{
    static const struct {
        const char* word;
        Behaviour behaviour;
    } kWords[] = {{"close", kClose}, {"ignore1", kIgnoreFirst}, {"never", kNever}, {"delay", kDelay}};
    for (const auto& w : kWords)
        if (lstrcmpiA(word, w.word) == 0) {
            *out = w.behaviour;
            return true;
        }
    return false;
}

// COMPONENT[:BEHAVIOUR]; false for a word it does not know.
bool ParseComponent(char* arg)
{
    Behaviour behaviour = kClose;
    if (char* colon = std::strchr(arg, ':')) {
        *colon = '\0';
        if (!ParseBehaviour(colon + 1, &behaviour))
            return false;
    }
    bool all = lstrcmpiA(arg, "all") == 0;
    bool known = false;
    for (Component& c : g_components)
        if (all || lstrcmpiA(arg, c.key) == 0) {
            c.wanted = true;
            c.behaviour = behaviour;
            known = true;
        }
    return known;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    bool show = false;
    char arg[MAX_PATH];
    const char* p = NextArgument(GetCommandLineA(), arg, sizeof arg);  // the program
    while (p && (p = NextArgument(p, arg, sizeof arg))) {
        if (lstrcmpiA(arg, "/log") == 0) {
            p = NextArgument(p, g_log, sizeof g_log);
            if (!p)
                return 2;
        } else if (lstrcmpiA(arg, "/show") == 0) {
            show = true;
        } else if (!ParseComponent(arg)) {
            return 2;
        }
    }
    if (!g_log[0])
        return 2;

    int y = 20;
    for (Component& c : g_components) {
        if (!c.wanted)
            continue;
        WNDCLASSA wc = {};
        wc.lpfnWndProc = ComponentProc;
        wc.hInstance = instance;
        wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.lpszClassName = c.className;
        if (!RegisterClassA(&wc))
            return 1;
        // The table knows the window only once CreateWindowExA returns; the
        // creation messages go to the default procedure meanwhile.
        c.window = CreateWindowExA(0, c.className, c.className, WS_OVERLAPPED | WS_CAPTION, 600, y,
                                   220, 60, nullptr, nullptr, instance, nullptr);
        if (!c.window)
            return 1;
        ++g_open;
        if (show)
            ShowWindow(c.window, SW_SHOWNOACTIVATE);
        y += 70;
    }
    if (g_open == 0)
        return 2;

    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}
