// The wizard's dialogs under wine, made here from the real templates with a
// stand-in main window as owner. Keys through QORDELET.EXE's own loop and the
// restart prompt's loop are app_test's; the whole run is in tests/e2e.
#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <tuple>
#include <vector>

#include "base/base.h"
#include "gauge/gauge.h"
#include "resource.h"
#include "support/winsupport.h"
#include "wizard/shots.h"
#include "wizard/wizard.h"

using namespace winsupport;
using std::make_tuple;
using std::string;

namespace {

constexpr char kPageCaption[] = "QOR Brackenfield 4400 Series Software Uninstaller";
constexpr char kWarning[] = "QOR Brackenfield Un-Install Warning";
constexpr COLORREF kBlack = RGB(0, 0, 0);

// What the dialogs did: the message boxes; the owner's messages, each with
// whether the page was still about; whether a box came while the page could
// still be used.
using Box = std::tuple<string, string, UINT, HWND>;  // text, caption, style, owner
using Heard = std::vector<std::pair<UINT, bool>>;
struct Record {
    std::vector<Box> boxes; Heard heard; bool overUsablePage;
} g_rec;
HWND g_page;

}  // namespace

// This test's own message box, linked in place of the program's: nobody
// presses OK.
int ShowMessageBox(HWND owner, const char* text, const char* caption, UINT style)
{
    g_rec.boxes.emplace_back(text, caption, style, owner);
    g_rec.overUsablePage |= IsWindow(g_page) && IsWindowEnabled(g_page);
    return IDOK;
}

namespace {

LRESULT CALLBACK OwnerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == kStartUninstall || message == kFinish)
        g_rec.heard.push_back({message, IsWindow(g_page) || g_welcomePage || g_completionPage});
    return DefWindowProcA(window, message, wParam, lParam);
}

// The program's message loop: every message offered to the page first.
void Pump(HWND page, DWORD milliseconds)
{
    for (DWORD start = GetTickCount(); GetTickCount() - start < milliseconds; Sleep(5))
        for (MSG m; PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE);)
            if (!page || !IsWindow(page) || !IsDialogMessageA(page, &m))
                TranslateMessage(&m), DispatchMessageA(&m);
}

// Enter, eScape, alt+F4 as the keyboard sends them, and a click on the
// welcome page's Cancel (K).
void PostKey(HWND dialog, char key)
{
    PostDialogKey(dialog, key, IDC_PAGE_CANCEL);
}

class Wizard : public ::testing::Test {
protected:
    HWND owner = nullptr;

    void SetUp() override
    {
        static HMODULE gauge = LoadLibraryA((BinDir() + "GAUGE32.DLL").c_str());  // for good
        g_instance = GetModuleHandleA(nullptr);
        g_config = ConfigRecord();
        lstrcpynA(g_config.MainTitle, kMainTitle, sizeof g_config.MainTitle);
        lstrcpynA(g_config.WarningCaption, kWarning, sizeof g_config.WarningCaption);
        g_numColors = -1;  // what a true-colour display reports
        g_pclFlag = g_postScriptFlag = g_monitorFlag = g_groupFlag = 1;
        g_remains = {1, 0, ""};  // a file waits for the restart
        ASSERT_TRUE(gauge && MakeOwner());
    }
    void TearDown() override { DestroyWindow(owner), Pump(nullptr, 50); }  // dialogs go with it

    // Hidden: without a window manager Wine waits two seconds for every
    // visible window it manages to be withdrawn, an owner of dialogs included.
    HWND MakeOwner()
    {
        WNDCLASSA wc = {0, OwnerProc, 0, 0, g_instance, nullptr, nullptr, nullptr, nullptr, "O"};
        RegisterClassA(&wc);  // fails harmlessly once registered
        return owner = CreateWindowExA(0, "O", "", WS_POPUP, 0, 0, 8, 8, 0, 0, g_instance, 0);
    }
    HWND Open(int id, DLGPROC proc)
    {
        g_page = CreateDialogParamA(g_instance, MAKEINTRESOURCEA(id), owner, proc, 0);
        Pump(g_page, 300);
        return g_page;
    }
};

// A control: id (-1 for the unnamed statics), class, text (null: not
// compared), enabled, and x, y, width, height in dialog units as the template
// has them. A dialog: its caption, the bits of WS_OVERLAPPEDWINDOW it has, a
// point of bare background in dialog units (x < 0: none), its controls in order.
constexpr char B[] = "Button", S[] = "Static";
struct Ctl { int id; const char *cls, *text; bool enabled; RECT du; };
struct Dialog {
    int id; DLGPROC proc; const char* caption; LONG frame; POINT empty;
    std::vector<Ctl> controls;
};
const Dialog kDialogs[] = {
    {IDD_WELCOME, ContinueDlgProc, kPageCaption, WS_CAPTION | WS_SYSMENU, {200, 160},
     {{1, B, "&Next >", 1, {172, 185, 51, 14}}, {9, B, "&Cancel", 1, {229, 185, 51, 14}},
      {12, B, "< &Back", 0, {121, 185, 51, 14}}, {1300, S, "", 1, {10, 177, 270, 1}},
      {-1, S, "Welcome to the Brackenfield 4400 Series Software Uninstaller", 1, {110, 9, 148, 17}},
      {-1, S, "This Uninstaller will remove the Brackenfield 4400 Series Software from the "
              "Windows System.", 1, {109, 32, 169, 19}},
      {-1, S, "TrueType fonts that have been installed are not removed.", 1, {109, 56, 150, 20}},
      {-1, S, "To begin uninstalling the software, click Next.", 1, {109, 88, 167, 15}},
      {-1, S, "Click Cancel if you do not want to uninstall the software.", 1, {109, 112, 168, 21}},
      {1000, B, "", 0, {17, 15, 0, 0}}}},
    {IDD_COMPLETE, CompleteDlgProc, kPageCaption, WS_CAPTION | WS_SYSMENU, {200, 160},
     {{1, B, "&Finish >", 1, {174, 185, 51, 14}}, {9, B, "Cancel", 0, {231, 185, 51, 14}},
      {12, B, "< &Back", 0, {123, 185, 51, 14}}, {1300, S, "", 1, {10, 178, 270, 1}},
      {-1, S, "Uninstallation Complete!", 1, {99, 7, 125, 13}},
      {-1, S, "The following items were uninstalled from your hard disk:", 1, {99, 26, 186, 14}},
      {1001, S, "PCL Printer Driver\nPostScript Printer Driver\nPrint Monitor Software", 1,
       {111, 42, 136, 29}},
      {-1, S, "The following items were removed:", 1, {99, 77, 150, 15}},
      {1002, S, "Brackenfield Program Group\nPrinter Settings from Windows", 1, {111, 95, 129, 21}},
      {-1, S, "TrueType fonts are not removed.", 1, {110, 123, 142, 15}},
      {1003, S, "Some files will be removed when Windows restarts.", 1, {99, 140, 180, 32}},
      {1000, B, "", 0, {17, 15, 0, 0}}}},
    {IDD_STATUS, StatusDlgProc, kMainTitle, WS_CAPTION, {-1, 0},
     {{103, S, "", 1, {9, 4, 171, 8}}, {104, S, "", 1, {12, 14, 173, 12}},
      {100, "Percent", nullptr, 1, {15, 35, 189, 21}}}},
    {IDD_RESTART, EndDlgProc, kMainTitle, WS_CAPTION, {2, 45},
     {{107, B, "&Restart", 1, {110, 50, 50, 15}}, {106, B, "&Exit", 1, {170, 50, 50, 15}},
      {201, S, "The software will not be removed until Windows has been restarted.\n\n"
               "Restart Windows now?", 1, {33, 9, 182, 36}},
      {-1, S, nullptr, 1, {4, 7, 0, 0}}}},
};

// Controls where the template puts them (each of x, y, width and height
// mapped on its own; the picture resized to LCNBMP's 120 x 225 pixels, the
// icon to its own size), frame and centring on the screen; on a colour
// display (and only there) the grey scheme with black text; the page picture
// whatever the display.
TEST_F(Wizard, DialogsControlsCentringAndColours)
{
    for (const Dialog& d : kDialogs) {
        HWND dialog = Open(d.id, d.proc), c = GetWindow(dialog, GW_CHILD), firstText = nullptr;
        ASSERT_TRUE(dialog) << d.id;
        ShowWindow(dialog, SW_SHOW);  // the progress dialog is created hidden
        RECT r, want;
        GetWindowRect(dialog, &r);
        int x = (GetSystemMetrics(SM_CXSCREEN) - (r.right - r.left)) / 2;
        int y = (GetSystemMetrics(SM_CYSCREEN) - (r.bottom - r.top)) / 2;
        LONG frame = GetWindowLongA(dialog, GWL_STYLE) & WS_OVERLAPPEDWINDOW;
        EXPECT_EQ(make_tuple(WindowText(dialog), frame, r.left, r.top),
                  make_tuple(string(d.caption), d.frame, x, y)) << d.id;
        for (const Ctl& e : d.controls) {
            int i = static_cast<int>(&e - &d.controls[0]);
            ASSERT_TRUE(c) << d.id << " control " << i << " missing";
            char cls[64];
            GetClassNameA(c, cls, sizeof cls);
            if (!firstText && e.cls == S && e.text && e.text[0])
                firstText = c;
            bool icon = (GetWindowLongA(c, GWL_STYLE) & SS_TYPEMASK) == SS_ICON;
            want = e.du;
            MapDialogRect(dialog, &want);
            if (e.id == IDC_PAGE_BITMAP)
                want.right = 120, want.bottom = 225;
            if (icon)
                want.right = GetSystemMetrics(SM_CXICON), want.bottom = GetSystemMetrics(SM_CYICON);
            GetWindowRect(c, &r);
            MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
            EXPECT_EQ(make_tuple(GetDlgCtrlID(c), string(cls), e.text ? WindowText(c) : "",
                                 IsWindowEnabled(c) != FALSE,
                                 !icon || SendMessageA(c, STM_GETICON, 0, 0), r.left, r.top,
                                 r.right - r.left, r.bottom - r.top),
                      make_tuple(e.id & 0xFFFF, string(e.cls), e.text ? e.text : "", e.enabled,
                                 true, want.left, want.top, want.right, want.bottom))
                << d.id << " control " << i;
            c = GetWindow(c, GW_HWNDNEXT);
        }
        EXPECT_FALSE(c) << d.id << ": more controls than the template's";
        for (int numColors : {-1, 2}) {
            if (d.empty.x < 0)
                break;
            g_numColors = numColors;
            string name = std::to_string(d.id) + " NUMCOLORS " + std::to_string(numColors);
            RedrawWindow(dialog, nullptr, nullptr,
                         RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
            Pump(dialog, 100);
            COLORREF background = numColors < 0 ? RGB(192, 192, 192) : GetSysColor(COLOR_BTNFACE);
            want = {d.empty.x, d.empty.y, 0, 0};
            MapDialogRect(dialog, &want);
            // The first text is drawn, in black, on the dialog's background.
            shots::Shot text = shots::Capture(firstText);
            EXPECT_EQ(make_tuple(shots::Capture(dialog).At(want.left, want.top),
                                 text.Count(kBlack) > 0, text.Count(background) > 0),
                      make_tuple(background, true, true)) << name;
            HWND picture = GetDlgItem(dialog, IDC_PAGE_BITMAP);
            if (!picture)
                continue;
            // LCNBMP as resources/art draws it: a 40-byte header, 8 bits with a
            // full colour table, bottom-up rows of 120.
            const auto* dib = static_cast<const BYTE*>(
                LockResource(LoadResource(nullptr, FindResourceA(nullptr, "LCNBMP", RT_BITMAP))));
            shots::Shot shot = shots::Capture(picture);
            ASSERT_TRUE(dib && shot.px.size() == 120 * 225) << name;
            int wrong = 0;
            for (int i = 0; i < 120 * 225; ++i) {
                const BYTE* q = dib + 40 + 4 * dib[40 + 1024 + (224 - i / 120) * 120 + i % 120];
                wrong += shot.px[i] != RGB(q[2], q[1], q[0]);
            }
            EXPECT_EQ(wrong, 0) << name;
        }
        DestroyWindow(dialog);
    }
}

// Shown again for a phase, the progress dialog starts empty. Its gauge, of
// GAUGE32.DLL, draws blue on white, the dialog's answer to its 1028: the bar's
// row y = 2 (above the figure) filled as far as the position goes along the
// range (INT_MIN: no position sent), none of the control left in the
// dialog's colour. The arithmetic's corners are meter_test's; each row here
// changes what shows, so it must be painted again.
TEST_F(Wizard, ProgressDialogAndItsGauge)
{
    HWND dialog = Open(IDD_STATUS, StatusDlgProc), bar = GetDlgItem(dialog, IDC_GAUGE);
    ASSERT_TRUE(dialog);
    constexpr COLORREF kBlue = RGB(0, 0, 255), kWhite = RGB(255, 255, 255);
    SetDlgItemTextA(dialog, IDC_OPERATION_LINE, "Deleting files...");  // a finished phase's
    SetDlgItemTextA(dialog, IDC_ITEM_LINE, "C:\\QOR\\Q44PCL.DRV");
    const struct { const char* name; int range, position, percentFilled; } rows[] = {
        {"not reset", 5, 5, 0}, {"position kept by the reset", 10, INT_MIN, 0}, {"half", 4, 2, 50},
        {"range changed, position kept", 8, INT_MIN, 25}, {"done", 10, 10, 100},
        {"negative position", 4, -1, 0},
    };
    for (const auto& row : rows) {
        if (row.position != INT_MIN)
            SendMessageA(bar, kGaugeSetPosition, static_cast<WPARAM>(row.position), 0);
        SendMessageA(bar, kGaugeSetRange, static_cast<WPARAM>(row.range), 0);
        ShowWindow(dialog, SW_SHOW);
        UpdateWindow(dialog);
        Pump(nullptr, 200);
        shots::Shot shot = shots::Capture(bar);
        int filled = shot.width * row.percentFilled / 100, wrongBar = 0;
        for (int x = 0; x < shot.width; ++x)
            wrongBar += shot.At(x, 2) != (x < filled ? kBlue : kWhite);
        string lines = WindowText(GetDlgItem(dialog, IDC_OPERATION_LINE)) +
                       WindowText(GetDlgItem(dialog, IDC_ITEM_LINE));
        EXPECT_EQ(make_tuple(lines, wrongBar, shot.Count(GetSysColor(COLOR_BTNFACE))),
                  make_tuple(string(), 0, 0)) << row.name;
    }
}

// The welcome page ignores Escape and Alt+F4, Enter acts as Next, and Cancel
// tells the user with the page disabled (the notice is modal to the main
// window only) and ends the program; on the completion page, which lists the
// items whose flags are still 1, Enter, Escape and Alt+F4 act as Finish. A
// page is gone, and no longer the one the loop offers keys to, before its
// owner hears of it (handedOver 0: it stays).
TEST_F(Wizard, PageKeysAndRemovedLists)
{
    const char* settings[] = {"Printer Settings from Windows",
                              "Brackenfield Program Group\nPrinter Settings from Windows"};
    const struct {
        int id; char key; UINT handedOver; int pcl = 0, postScript = 0, monitor = 0, group = 0;
        const char* list = nullptr;
    } rows[] = {
        {IDD_WELCOME, 'S', 0}, {IDD_WELCOME, 'F', 0}, {IDD_WELCOME, 'E', kStartUninstall},
        {IDD_COMPLETE, 'E', kFinish, 1, 1, 0, 0, "PCL Printer Driver\nPostScript Printer Driver\n"},
        {IDD_COMPLETE, 'S', kFinish, 1, 0, 0, 1, "PCL Printer Driver\n"},
        {IDD_COMPLETE, 'F', kFinish, 0, 0, 1, 1, "Print Monitor Software"},
        {IDD_WELCOME, 'K', 0},  // last: the owner goes with it
    };
    for (const auto& row : rows) {
        int i = static_cast<int>(&row - rows);
        g_pclFlag = row.pcl, g_postScriptFlag = row.postScript, g_monitorFlag = row.monitor;
        g_groupFlag = row.group;
        g_rec = Record();
        HWND page = Open(row.id, row.id == IDD_WELCOME ? ContinueDlgProc : CompleteDlgProc);
        ASSERT_TRUE(page) << i;
        (row.id == IDD_WELCOME ? g_welcomePage : g_completionPage) = page;  // as the shell does
        if (row.list) {
            EXPECT_EQ(make_tuple(WindowText(GetDlgItem(page, IDC_REMOVED_LIST)),
                                 WindowText(GetDlgItem(page, IDC_REMOVED_SETTINGS))),
                      make_tuple(string(row.list), string(settings[row.group]))) << i;
        }
        PostKey(page, row.key);
        Pump(page, 300);
        bool cancelled = row.key == 'K';
        std::vector<Box> boxes;
        if (cancelled)
            boxes.emplace_back("Un-Install is not complete. If you quit the Un-Install program now, "
                               "the software will not be un-installed.", kWarning, 0x1040, owner);
        Heard heard = row.handedOver ? Heard{{row.handedOver, false}} : Heard();
        // Boxes, one over a usable page, page and owner still there, what the owner heard.
        EXPECT_EQ(make_tuple(g_rec.boxes, g_rec.overUsablePage, IsWindow(page) != FALSE,
                             IsWindow(owner) != FALSE, g_rec.heard),
                  make_tuple(boxes, false, !row.handedOver && !cancelled, !cancelled, heard)) << i;
        DestroyWindow(page);
    }
}

}  // namespace
