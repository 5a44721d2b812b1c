// Start-up, the full-screen main window with its gradient backdrop, and the
// message loop.
#include "app/app.h"
#include "app/rules.h"
#include "base/base.h"
#include "ddeclient/ddeclient.h"
#include "resource.h"
#include "wizard/wizard.h"

namespace {

bool s_resultLogged = false;

}  // namespace

int RunExitCode()
{
    return g_options.unattended ? RunResultCode() : 0;
}

void EndActionLog()
{
    if (!s_resultLogged && ActionLogOpen())
        LogAction("Result: %s (exit code %d)", RunResultText(), RunExitCode());
    s_resultLogged = true;
    CloseActionLog();
}

static void FillBand(HDC dc, int top, int bottom, int width, COLORREF colour)
{
    RECT band = {0, top, width, bottom};
    HBRUSH brush = CreateSolidBrush(colour);
    HGDIOBJ previous = SelectObject(dc, brush);
    FillRect(dc, &band, brush);
    SelectObject(dc, previous);
    DeleteObject(brush);
}

void PaintBackdrop(HDC dc)
{
    // The bands span the whole screen; painting is clipped to the window.
    int width = GetSystemMetrics(SM_CXSCREEN);
    int height = GetSystemMetrics(SM_CYSCREEN);
    for (int i = 0; i < kBackdropBands; ++i)
        FillBand(dc, kBandHeight * i, kBandHeight * i + kBandHeight, width,
                 RGB(0, 0, BandBlue(i)));
    int gradientEnd = kBackdropBands * kBandHeight;
    if (gradientEnd < height)
        FillBand(dc, gradientEnd, height, width, RGB(0, 0, 0));
}

static void OnPaint(HWND window)
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    SetMapMode(dc, MM_TEXT);
    PaintBackdrop(dc);
    ValidateRect(window, nullptr);
    EndPaint(window, &paint);
}

static void OnStartUninstall(HWND window)
{
    RunUninstall();
    // On failure the sequence has destroyed the main window: no page then.
    // An unattended run ends as Restart would, without asking.
    if (!IsWindow(window))
        return;
    if (g_options.unattended)
        FinishUnattendedRun(window);
    else
        g_completionPage = CreateDialogParamA(g_instance, MAKEINTRESOURCEA(IDD_COMPLETE),
                                              window, CompleteDlgProc, 0);
}

LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        LoadConfiguration(window);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    case WM_PAINT:
        OnPaint(window);
        return 0;
    // The backdrop takes no input: clicks and ordinary keys do nothing.
    case WM_NCLBUTTONDOWN:
    case WM_NCRBUTTONDOWN:
    case WM_NCMBUTTONDOWN:
    case WM_KEYDOWN:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        return 0;
    case kStartUninstall:
        OnStartUninstall(window);
        return 0;
    case kFinish:
        RunRestartPromptLoop(window);
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

static void ReadDisplayMetrics()
{
    HDC dc = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
    g_horzRes = GetDeviceCaps(dc, HORZRES);
    g_vertRes = GetDeviceCaps(dc, VERTRES);
    g_numColors = GetDeviceCaps(dc, NUMCOLORS);
    DeleteDC(dc);
}

static bool RegisterMainClass(HINSTANCE instance)
{
    WNDCLASSA wc = {};
    wc.style = 0;
    wc.lpfnWndProc = MainWndProc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconA(instance, "SetupIcon");
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = IsColourDisplay(g_numColors) ? CreateSolidBrush(RGB(0, 0, 128))
                                                    : static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    wc.lpszClassName = kMainClass;
    return RegisterClassA(&wc) != 0;
}

static bool RouteToPage(HWND page, MSG* msg)
{
    return page != nullptr && IsWindow(page) && IsDialogMessageA(page, msg);
}

static int MessageLoop()
{
    MSG msg;
    for (;;) {
        int code;
        if (QuitPending(&code))
            return code;
        if (GetMessageA(&msg, nullptr, 0, 0) <= 0)
            return static_cast<int>(msg.wParam);
        if (RouteToPage(g_welcomePage, &msg) || RouteToPage(g_completionPage, &msg))
            continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

// The log, when one is asked for, before anything is changed: a log that
// cannot be written ends the run at once.
static bool StartActionLog()
{
    if (!g_options.log)
        return true;
    if (!g_options.logBad && OpenActionLog(g_options.logPath))
        return true;
    SetRunResult(kExitFailed, "the log cannot be written; nothing was done");
    ReportLogNotWritable(g_options.logPath);
    return false;
}

// The windows the run needs could not be made (no desktop to make them on,
// or no memory): nothing was done, and the log says so with the system's
// error.
static int EndWithoutWindow()
{
    DWORD error = GetLastError();
    SetRunResult(kExitFailed, "the program's windows could not be made; nothing was done");
    LogAction("The program's windows could not be made (error %d)", static_cast<int>(error));
    EndActionLog();
    return RunExitCode();
}

int RunApplication(HINSTANCE instance, const char* commandTail, int showCommand)
{
    ParseCommandTail(commandTail, &g_options);
    g_instance = instance;
    // A second copy started by hand ends silently, as ever; one started by a
    // deployment tool says why it did nothing.
    bool another = FindWindowA(kMainClass, kMainTitle) != nullptr;
    if (another && !g_options.unattended)
        return 0;
    if (!StartActionLog())
        return RunExitCode();
    if (another) {
        SetRunResult(kExitAnotherCopy, "another copy is running; nothing was done");
        EndActionLog();
        return RunExitCode();
    }

    ReadDisplayMetrics();
    if (!RegisterMainClass(instance))
        return EndWithoutWindow();

    lstrcpynA(g_config.MainTitle, kMainTitle, sizeof g_config.MainTitle);

    RECT desktop;
    GetWindowRect(GetDesktopWindow(), &desktop);
    PlaceRect place = ChoosePlacement(IsColourDisplay(g_numColors), g_horzRes, g_vertRes,
                                      desktop.left, desktop.top, desktop.right, desktop.bottom);

    // Created hidden in every run; an unattended one never shows it.
    g_mainWindow = CreateWindowExA(0, kMainClass, g_config.MainTitle, WS_POPUP, place.x, place.y,
                                   place.width, place.height, nullptr, nullptr, instance, nullptr);
    if (!g_mainWindow || !RegisterDDEClientClass(instance)) {
        if (g_mainWindow && IsWindow(g_mainWindow))
            DestroyWindow(g_mainWindow);
        // With no install directory recorded, the window ends the run as it
        // is made: its notice is given and its result set.
        if (g_config.NoInformation) {
            EndActionLog();
            return RunExitCode();
        }
        return EndWithoutWindow();
    }

    if (!g_options.unattended) {
        ShowWindow(g_mainWindow, showCommand);
        UpdateWindow(g_mainWindow);
    }

    if (!g_config.NoInformation) {
        if (g_options.external)
            SendMessageA(g_mainWindow, kStartUninstall, 0, 0);
        else
            g_welcomePage = CreateDialogParamA(instance, MAKEINTRESOURCEA(IDD_WELCOME),
                                               g_mainWindow, ContinueDlgProc, 0);
    }
    int code = MessageLoop();
    EndActionLog();
    return g_options.unattended ? RunExitCode() : code;
}
