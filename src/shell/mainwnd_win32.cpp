// Start-up, the full-screen main window with its gradient backdrop, and the
// message loop.
#include "ddeclient/ddeclient.h"
#include "engine/engine.h"
#include "resource.h"
#include "shell/shell.h"
#include "wizard/wizard.h"

HINSTANCE g_instance;
HWND g_mainWindow;
int g_horzRes;
int g_vertRes;
int g_numColors;
int g_externalMode;
HWND g_welcomePage;
HWND g_completionPage;

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
    if (IsWindow(window))
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

int RunApplication(HINSTANCE instance, const char* commandTail, int showCommand)
{
    if (FindWindowA(kMainClass, kMainTitle))
        return 0;

    ReadDisplayMetrics();
    if (!RegisterMainClass(instance))
        return 0;

    g_instance = instance;
    lstrcpynA(g_config.MainTitle, kMainTitle, sizeof g_config.MainTitle);

    RECT desktop;
    GetWindowRect(GetDesktopWindow(), &desktop);
    PlaceRect place = ChoosePlacement(IsColourDisplay(g_numColors), g_horzRes, g_vertRes,
                                      desktop.left, desktop.top, desktop.right, desktop.bottom);

    g_mainWindow = CreateWindowExA(0, kMainClass, g_config.MainTitle, WS_POPUP, place.x, place.y,
                                   place.width, place.height, nullptr, nullptr, instance, nullptr);
    if (!g_mainWindow)
        return 0;
    if (!RegisterDDEClientClass(instance))
        return 0;

    ShowWindow(g_mainWindow, showCommand);
    UpdateWindow(g_mainWindow);

    if (IsExternalTail(commandTail))
        g_externalMode = 1;

    if (!g_config.NoInformation) {
        if (g_externalMode)
            SendMessageA(g_mainWindow, kStartUninstall, 0, 0);
        else
            g_welcomePage = CreateDialogParamA(instance, MAKEINTRESOURCEA(IDD_WELCOME),
                                               g_mainWindow, ContinueDlgProc, 0);
    }
    return MessageLoop();
}
