// The wizard's dialogs under wine, made here from the real templates with a
// stand-in main window as owner, the restart loop, and QORDELET.EXE's welcome
// page as a user meets it. The whole run is in tests/e2e.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/restart.h"
#include "gauge/gauge.h"
#include "resource.h"
#include "shell/shell.h"
#include "support/winsupport.h"
#include "wizard/shots.h"
#include "wizard/wizard.h"

using namespace winsupport;

namespace {

constexpr char kPageCaption[] = "QOR Brackenfield 4400 Series Software Uninstaller";
constexpr char kWarning[] = "QOR Brackenfield Un-Install Warning";
constexpr char kAllThree[] =
    "PCL Printer Driver\nPostScript Printer Driver\nPrint Monitor Software";
constexpr char kRemoveByHand[] =
    "You should manually remove the remained files from the installed directory.";
constexpr COLORREF kGrey = RGB(192, 192, 192);

// What the dialogs and the restart loop did.
struct Box {
    std::string text, caption;
    UINT style;
    HWND owner;
};
struct Record {
    std::vector<Box> boxes;
    std::vector<std::pair<UINT, bool>> ownerMessages;  // message, page still a window
    std::vector<bool> rebootAnswers;  // the system's, in turn; true after the list
    std::vector<bool> reboots;        // each request: was SeShutdownPrivilege enabled?
    int batches = 0;
} g_rec;
HWND g_page;

// Whether the process's token holds SeShutdownPrivilege enabled; with
// `disable`, it is disabled first, as it is for every user at logon.
bool ShutdownPrivilegeEnabled(bool disable = false)
{
    HANDLE token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY | TOKEN_ADJUST_PRIVILEGES, &token))
        return false;
    TOKEN_PRIVILEGES off = {1, {{{0, 0}, 0}}};
    LookupPrivilegeValueA(nullptr, "SeShutdownPrivilege", &off.Privileges[0].Luid);
    if (disable)
        AdjustTokenPrivileges(token, FALSE, &off, 0, nullptr, nullptr);
    std::vector<char> buffer(4096);
    DWORD size = 0;
    bool enabled = false;
    if (GetTokenInformation(token, TokenPrivileges, buffer.data(), buffer.size(), &size)) {
        const auto* held = reinterpret_cast<const TOKEN_PRIVILEGES*>(buffer.data());
        for (DWORD i = 0; i < held->PrivilegeCount; ++i) {
            const LUID& l = held->Privileges[i].Luid;
            if (l.LowPart == off.Privileges[0].Luid.LowPart && l.HighPart == off.Privileges[0].Luid.HighPart)
                enabled = (held->Privileges[i].Attributes & SE_PRIVILEGE_ENABLED) != 0;
        }
    }
    CloseHandle(token);
    return enabled;
}

}  // namespace

// This test's own message box, restart request and batch writer, linked in
// place of the program's: nobody presses OK, and the session goes on.
int ShowMessageBox(HWND owner, const char* text, const char* caption, UINT style)
{
    g_rec.boxes.push_back({text, caption, style, owner});
    return IDOK;
}

bool RequestReboot()
{
    std::size_t n = g_rec.reboots.size();
    g_rec.reboots.push_back(ShutdownPrivilegeEnabled());
    return n < g_rec.rebootAnswers.size() ? g_rec.rebootAnswers[n] : true;
}

void PrepareRestartRemoval()
{
    ++g_rec.batches;
}

namespace {

LRESULT CALLBACK OwnerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == kStartUninstall || message == kFinish)
        g_rec.ownerMessages.push_back({message, IsWindow(g_page) != FALSE});
    return DefWindowProcA(window, message, wParam, lParam);
}

// The program's message loop: every message offered to the page first.
void Pump(HWND page, DWORD milliseconds)
{
    DWORD start = GetTickCount();
    do {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (!page || !IsWindow(page) || !IsDialogMessageA(page, &msg)) {
                TranslateMessage(&msg);
                DispatchMessageA(&msg);
            }
        }
        Sleep(5);
    } while (GetTickCount() - start < milliseconds);
}

enum class Key { Enter, Escape, AltF4, Close, Restart, Exit };

void PostKey(HWND dialog, Key key)
{
    HWND focus = GetFocus();
    HWND target = focus && IsChild(dialog, focus) ? focus : dialog;
    switch (key) {
    case Key::Enter: PostMessageA(target, WM_KEYDOWN, VK_RETURN, 1); break;
    case Key::Escape: PostMessageA(target, WM_KEYDOWN, VK_ESCAPE, 1); break;
    case Key::AltF4: PostMessageA(target, WM_SYSKEYDOWN, VK_F4, 0x20000001); break;  // Alt down
    case Key::Close: PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0); break;
    case Key::Restart: PostMessageA(GetDlgItem(dialog, IDC_RESTART), BM_CLICK, 0, 0); break;
    case Key::Exit: PostMessageA(GetDlgItem(dialog, IDC_EXIT), BM_CLICK, 0, 0); break;
    }
}

// Screen colour at a point given in the dialog's dialog units.
COLORREF PixelAt(HWND dialog, POINT at)
{
    RECT r = {at.x, at.y, at.x, at.y};
    MapDialogRect(dialog, &r);
    POINT p = {r.left, r.top};
    ClientToScreen(dialog, &p);
    return ScreenPixel(p.x, p.y);
}

// The picture control shows LCNBMP (8 bits, full table, bottom-up) pixel for pixel.
void ExpectPicture(HWND page, const std::string& name)
{
    HRSRC found = FindResourceA(nullptr, "LCNBMP", RT_BITMAP);
    ASSERT_TRUE(found);
    const auto* dib = static_cast<const BYTE*>(LockResource(LoadResource(nullptr, found)));
    const auto* h = reinterpret_cast<const BITMAPINFOHEADER*>(dib);
    ASSERT_TRUE(h->biSize == 40 && h->biWidth == 120 && h->biHeight == 225 && h->biBitCount == 8 &&
                h->biClrUsed == 0 && h->biCompression == static_cast<DWORD>(BI_RGB));
    RECT r;
    GetWindowRect(GetDlgItem(page, IDC_PAGE_BITMAP), &r);
    shots::Shot shot = shots::Capture(r);
    ASSERT_TRUE(shot.width == 120 && shot.height == 225) << name;
    int wrong = 0;
    for (int y = 0; y < 225; ++y)
        for (int x = 0; x < 120; ++x) {
            const BYTE* q = dib + 40 + 4 * dib[40 + 1024 + (224 - y) * 120 + x];
            wrong += shot.At(x, y) != RGB(q[2], q[1], q[0]);
        }
    EXPECT_EQ(wrong, 0) << name;
}

class Wizard : public ::testing::Test {
protected:
    HWND owner = nullptr;
    HMODULE gauge = nullptr;

    void SetUp() override
    {
        g_instance = GetModuleHandleA(nullptr);
        g_config = ConfigRecord();
        lstrcpynA(g_config.MainTitle, kMainTitle, sizeof g_config.MainTitle);
        lstrcpynA(g_config.WarningCaption, kWarning, sizeof g_config.WarningCaption);
        g_numColors = -1;  // what a true-colour display reports
        g_pclFlag = g_postScriptFlag = g_monitorFlag = 1;
        g_groupFlag = 1;
        g_rec = Record();
        gauge = LoadLibraryA((BinDir() + "GAUGE32.DLL").c_str());  // the progress dialog's
        ASSERT_TRUE(gauge);
        owner = MakeOwner();
        ASSERT_TRUE(owner);
    }
    void TearDown() override
    {
        if (IsWindow(owner))
            DestroyWindow(owner);  // takes any dialog with it
        Pump(nullptr, 50);
        FreeLibrary(gauge);
    }

    // Hidden: without a window manager Wine waits two seconds for every
    // visible window it manages to be withdrawn, an owner of dialogs included.
    static HWND MakeOwner()
    {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = OwnerProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "WizardTestOwner";
        RegisterClassA(&wc);  // fails harmlessly once registered
        return CreateWindowExA(0, wc.lpszClassName, "", WS_POPUP, 0, 0, 8, 8, nullptr, nullptr,
                               wc.hInstance, nullptr);
    }

    HWND Open(int id, DLGPROC proc)
    {
        g_page = CreateDialogParamA(g_instance, MAKEINTRESOURCEA(id), owner, proc, 0);
        if (id == IDD_WELCOME || id == IDD_COMPLETE)
            (id == IDD_WELCOME ? g_welcomePage : g_completionPage) = g_page;
        Pump(g_page, 300);
        return g_page;
    }
};

struct Ctl {
    int id;  // -1 for the unnamed statics
    const char* cls;
    const char* text;  // null: not compared
    bool enabled;
    RECT du;  // x, y, width, height in dialog units, as the template has it
};

struct DialogRow {
    const char* name;
    int id;
    DLGPROC proc;
    const char* caption;
    LONG frame;     // WS_CAPTION and WS_SYSMENU
    POINT empty;    // a point of bare background, in dialog units; x < 0: none
    std::vector<Ctl> controls;
};

const DialogRow kDialogs[] = {
    {"welcome", IDD_WELCOME, ContinueDlgProc, kPageCaption, WS_CAPTION | WS_SYSMENU, {200, 160},
     {{1, "Button", "&Next >", true, {172, 185, 51, 14}},
      {9, "Button", "&Cancel", true, {229, 185, 51, 14}},
      {12, "Button", "< &Back", false, {121, 185, 51, 14}},
      {1300, "Static", "", true, {10, 177, 270, 1}},
      {-1, "Static", "Welcome to the Brackenfield 4400 Series Software Uninstaller", true, {110, 9, 148, 17}},
      {-1, "Static", "This Uninstaller will remove the Brackenfield 4400 Series Software from "
                     "the Windows System.", true, {109, 32, 169, 19}},
      {-1, "Static", "TrueType fonts that have been installed are not removed.", true, {109, 56, 150, 20}},
      {-1, "Static", "To begin uninstalling the software, click Next.", true, {109, 88, 167, 15}},
      {-1, "Static", "Click Cancel if you do not want to uninstall the software.", true, {109, 112, 168, 21}},
      {1000, "Button", "", false, {17, 15, 0, 0}}}},
    {"completion", IDD_COMPLETE, CompleteDlgProc, kPageCaption, WS_CAPTION | WS_SYSMENU,
     {200, 160},
     {{1, "Button", "&Finish >", true, {174, 185, 51, 14}},
      {9, "Button", "Cancel", false, {231, 185, 51, 14}},
      {12, "Button", "< &Back", false, {123, 185, 51, 14}},
      {1300, "Static", "", true, {10, 178, 270, 1}},
      {-1, "Static", "Uninstallation Complete!", true, {99, 7, 125, 13}},
      {-1, "Static", "The following items were uninstalled from your hard disk:", true, {99, 26, 186, 14}},
      {1001, "Static", kAllThree, true, {111, 42, 136, 29}},
      {-1, "Static", "The following items were removed:", true, {99, 77, 150, 15}},
      {1002, "Static", "Brackenfield Program Group\nPrinter Settings from Windows", true, {111, 95, 129, 21}},
      {-1, "Static", "TrueType fonts are not removed.", true, {110, 123, 142, 15}},
      {1000, "Button", "", false, {17, 15, 0, 0}}}},
    {"progress", IDD_STATUS, StatusDlgProc, kMainTitle, WS_CAPTION, {-1, 0},
     {{103, "Static", "", true, {9, 4, 171, 8}}, {104, "Static", "", true, {12, 14, 173, 12}},
      {100, "Percent", nullptr, true, {15, 35, 189, 21}}}},
    {"prompt", IDD_RESTART, EndDlgProc, kMainTitle, WS_CAPTION, {2, 45},
     {{107, "Button", "&Restart", true, {110, 50, 50, 15}}, {106, "Button", "&Exit", true, {170, 50, 50, 15}},
      {201, "Static", "The software will not be removed until Windows has been restarted.\n\n"
                      "Restart Windows now?", true, {33, 9, 182, 36}},
      {-1, "Static", nullptr, true, {4, 7, 0, 0}}}},
};

// Pixels of `colour` inside a control.
int PixelsOf(HWND control, COLORREF colour)
{
    shots::Shot shot = shots::Capture(shots::ScreenClientRect(control));
    int n = 0;
    for (int y = 0; y < shot.height; ++y)
        for (int x = 0; x < shot.width; ++x)
            n += shot.At(x, y) == colour;
    return n;
}

// Controls where the template puts them (the picture resized to LCNBMP's
// 120 x 225 pixels, the icon to its own size), frame and centring on the
// screen; on a colour display (and only there) the grey scheme with black
// text; the page picture whatever the display.
TEST_F(Wizard, DialogsControlsCentringAndColours)
{
    for (const DialogRow& d : kDialogs) {
        HWND dialog = Open(d.id, d.proc);
        ASSERT_TRUE(dialog) << d.name;
        ShowWindow(dialog, SW_SHOW);  // the progress dialog is created hidden
        EXPECT_EQ(WindowText(dialog), d.caption) << d.name;
        EXPECT_EQ(GetWindowLongA(dialog, GWL_STYLE) & (WS_CAPTION | WS_SYSMENU), d.frame) << d.name;
        RECT r;
        GetWindowRect(dialog, &r);
        EXPECT_EQ(r.left, (GetSystemMetrics(SM_CXSCREEN) - (r.right - r.left)) / 2) << d.name;
        EXPECT_EQ(r.top, (GetSystemMetrics(SM_CYSCREEN) - (r.bottom - r.top)) / 2) << d.name;
        std::vector<HWND> children;
        for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
            children.push_back(c);
        ASSERT_EQ(children.size(), d.controls.size()) << d.name;
        for (std::size_t i = 0; i < children.size(); ++i) {
            const Ctl& e = d.controls[i];
            HWND c = children[i];
            std::string where = std::string(d.name) + " control " + std::to_string(i);
            char cls[64];
            GetClassNameA(c, cls, sizeof cls);
            EXPECT_EQ(GetDlgCtrlID(c), e.id & 0xFFFF) << where;
            EXPECT_EQ(lstrcmpiA(cls, e.cls), 0) << where << ": " << cls;
            if (e.text) {
                EXPECT_EQ(WindowText(c), e.text) << where;
            }
            EXPECT_EQ(IsWindowEnabled(c) != FALSE, e.enabled) << where;
            RECT want = e.du;  // each of x, y, width and height mapped on its own
            MapDialogRect(dialog, &want);
            if (e.id == IDC_PAGE_BITMAP)
                want.right = 120, want.bottom = 225;
            if ((GetWindowLongA(c, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
                EXPECT_TRUE(SendMessageA(c, STM_GETICON, 0, 0)) << where << ": icon not loaded";
                want.right = GetSystemMetrics(SM_CXICON), want.bottom = GetSystemMetrics(SM_CYICON);
            }
            RECT got;
            GetWindowRect(c, &got);
            MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&got), 2);
            EXPECT_EQ(std::vector<LONG>({got.left, got.top, got.right - got.left, got.bottom - got.top}),
                      std::vector<LONG>({want.left, want.top, want.right, want.bottom}))
                << where;
        }
        for (int numColors : {-1, 2}) {
            if (d.empty.x < 0)
                break;
            g_numColors = numColors;
            std::string name = d.name + std::string(" NUMCOLORS ") + std::to_string(numColors);
            RedrawWindow(dialog, nullptr, nullptr,
                         RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
            Pump(dialog, 100);
            COLORREF background = numColors < 0 ? kGrey : GetSysColor(COLOR_BTNFACE);
            EXPECT_EQ(PixelAt(dialog, d.empty), background) << name;
            // The first text is drawn, in black, on the dialog's background.
            for (const Ctl& e : d.controls) {
                HWND text = e.id == -1 ? nullptr : GetDlgItem(dialog, e.id);
                if (!text || lstrcmpiA(e.cls, "Static") != 0 || !e.text || !e.text[0])
                    continue;
                EXPECT_GT(PixelsOf(text, RGB(0, 0, 0)), 0) << name << ": no text in " << e.id;
                EXPECT_GT(PixelsOf(text, background), 0) << name << ": background of " << e.id;
                break;
            }
            if (GetDlgItem(dialog, IDC_PAGE_BITMAP))
                ExpectPicture(dialog, name);
        }
        DestroyWindow(dialog);
    }
}

// The completion page lists exactly the items whose flags are still 1.
TEST_F(Wizard, CompletionPageListsWhatWasRemoved)
{
    const struct {
        int pcl, postScript, monitor, group;
        const char* list;
        const char* settings;
    } rows[] = {
        {1, 0, 1, 0, "PCL Printer Driver\nPrint Monitor Software", "Printer Settings from Windows"},
        {0, 1, 0, 1, "PostScript Printer Driver\n", "Brackenfield Program Group\nPrinter Settings from Windows"},
        {0, 0, 0, 0, "", "Printer Settings from Windows"},
    };
    for (const auto& r : rows) {
        g_pclFlag = r.pcl, g_postScriptFlag = r.postScript, g_monitorFlag = r.monitor;
        g_groupFlag = r.group;
        HWND page = Open(IDD_COMPLETE, CompleteDlgProc);
        ASSERT_TRUE(page);
        EXPECT_EQ(WindowText(GetDlgItem(page, IDC_REMOVED_LIST)), r.list);
        EXPECT_EQ(WindowText(GetDlgItem(page, IDC_REMOVED_SETTINGS)), r.settings);
        if (!r.list[0])
            EXPECT_EQ(PixelsOf(GetDlgItem(page, IDC_REMOVED_LIST), RGB(0, 0, 0)), 0);
        DestroyWindow(page);
    }
}

// Shown again for a phase, the progress dialog starts empty; the gauge draws
// blue on white, the dialog's answer to its 1028; Close does nothing.
TEST_F(Wizard, ProgressDialog)
{
    HWND dialog = Open(IDD_STATUS, StatusDlgProc);
    ASSERT_TRUE(dialog);
    HWND bar = GetDlgItem(dialog, IDC_GAUGE);
    auto show = [&](int range, int position) {  // the bar's left and right end
        SendMessageA(bar, kGaugeSetPosition, position, 0);
        SendMessageA(bar, kGaugeSetRange, range, 0);
        ShowWindow(dialog, SW_SHOW);
        UpdateWindow(dialog);
        Pump(nullptr, 200);
        RECT r = shots::ScreenClientRect(bar);
        return std::make_pair(ScreenPixel(r.left + 2, r.top + 2),
                              ScreenPixel(r.right - 3, r.top + 2));
    };
    constexpr COLORREF kBlue = RGB(0, 0, 255), kWhite = RGB(255, 255, 255);
    // What a finished phase leaves behind.
    SetDlgItemTextA(dialog, IDC_OPERATION_LINE, "Deleting files...");
    SetDlgItemTextA(dialog, IDC_ITEM_LINE, "C:\\QOR\\Q44PCL.DRV");
    EXPECT_EQ(show(5, 5), std::make_pair(kWhite, kWhite)) << "gauge not reset";
    EXPECT_EQ(WindowText(GetDlgItem(dialog, IDC_OPERATION_LINE)), "");
    EXPECT_EQ(WindowText(GetDlgItem(dialog, IDC_ITEM_LINE)), "");
    EXPECT_EQ(show(4, 2), std::make_pair(kBlue, kWhite));
    PostKey(dialog, Key::Close);
    PostMessageA(dialog, WM_CLOSE, 0, 0);
    Pump(nullptr, 200);
    EXPECT_TRUE(IsWindow(dialog) && IsWindowVisible(dialog));
}

// The welcome page ignores Escape and Close, Enter acts as Next; on the
// completion page they all act as Finish. A page is gone, and no longer the
// one the loop offers keys to, before its owner hears of it.
TEST_F(Wizard, PageKeys)
{
    struct {
        int id;
        Key key;
        const char* name;
        UINT handedOver;  // 0: the page stays
    } rows[] = {
        {IDD_WELCOME, Key::Escape, "welcome Escape", 0},  // Alt+F4: see Program
        {IDD_WELCOME, Key::Close, "welcome Close", 0},
        {IDD_WELCOME, Key::Enter, "welcome Enter", kStartUninstall},
        {IDD_COMPLETE, Key::Enter, "completion Enter", kFinish},
        {IDD_COMPLETE, Key::Escape, "completion Escape", kFinish},
        {IDD_COMPLETE, Key::AltF4, "completion Alt+F4", kFinish},
        {IDD_COMPLETE, Key::Close, "completion Close", kFinish},
    };
    for (const auto& row : rows) {
        g_rec.ownerMessages.clear();
        HWND page = Open(row.id, row.id == IDD_WELCOME ? ContinueDlgProc : CompleteDlgProc);
        ASSERT_TRUE(page) << row.name;
        PostKey(page, row.key);
        Pump(page, 300);
        EXPECT_TRUE(g_rec.boxes.empty()) << row.name;
        if (!row.handedOver) {
            EXPECT_TRUE(IsWindow(page)) << row.name;
            EXPECT_TRUE(g_rec.ownerMessages.empty()) << row.name;
            DestroyWindow(page);
            continue;
        }
        EXPECT_FALSE(IsWindow(page)) << row.name;
        ASSERT_EQ(g_rec.ownerMessages.size(), 1u) << row.name;
        EXPECT_EQ(g_rec.ownerMessages[0].first, row.handedOver) << row.name;
        EXPECT_FALSE(g_rec.ownerMessages[0].second) << row.name << ": page still there";
        EXPECT_EQ(row.id == IDD_WELCOME ? g_welcomePage : g_completionPage, nullptr) << row.name;
    }
}

// The prompt is modal: a thread timer, dispatched by the prompt's own loop,
// plays the keys against whichever prompt is up, then leaves by Exit.
struct Script {
    std::vector<Key> keys;
    std::size_t next = 0;
    bool overran = false;
} g_script;

void CALLBACK ScriptTick(HWND, UINT, UINT_PTR, DWORD)
{
    HWND prompt = FindWindowA("#32770", kMainTitle);
    if (!prompt)
        return;
    g_script.overran = g_script.next >= g_script.keys.size();
    PostKey(prompt, g_script.overran ? Key::Exit : g_script.keys[g_script.next++]);
}

void RunScript(HWND owner, std::vector<Key> keys)
{
    g_script = Script();
    g_script.keys = std::move(keys);
    UINT_PTR timer = SetTimer(nullptr, 0, 150, ScriptTick);
    RunRestartPromptLoop(owner);
    KillTimer(nullptr, timer);
}

// Creating a window owned by `g_blockedOwner` fails, up to three times: the
// prompt cannot be shown.
HWND g_blockedOwner;
int g_blockedCreations;

LRESULT CALLBACK BlockPrompt(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_CREATEWND && g_blockedCreations < 3 &&
        reinterpret_cast<CBT_CREATEWNDA*>(lParam)->lpcs->hwndParent == g_blockedOwner) {
        ++g_blockedCreations;
        return 1;
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// Restart writes the batch once however often the reboot is refused; Exit,
// and a prompt that cannot be shown, end with message 1054 and the main
// window gone; keys other than Enter do nothing on the prompt.
TEST_F(Wizard, RestartLoop)
{
    struct {
        const char* name;
        std::vector<Key> keys;
        std::vector<bool> answers;
        int batches, reboots;
        bool exited, blocked;
    } rows[] = {
        {"Exit at once", {Key::Exit}, {}, 0, 0, true, false},
        {"Restart accepted", {Key::Restart}, {true}, 1, 1, false, false},
        {"Escape, Alt+F4, Close ignored; Enter is Restart",
         {Key::Escape, Key::AltF4, Key::Close, Key::Enter}, {true}, 1, 1, false, false},
        {"refused, Restart again", {Key::Restart, Key::Enter}, {false, true}, 1, 2, false, false},
        {"refused twice, then Exit", {Key::Enter, Key::Restart, Key::Exit}, {false, false}, 1, 2,
         true, false},
        // Asked again, the fourth prompt would come up and overrun.
        {"prompt cannot be shown", {}, {}, 0, 0, true, true},
    };
    for (const auto& row : rows) {
        g_rec = Record();
        g_rec.rebootAnswers = row.answers;
        ASSERT_FALSE(ShutdownPrivilegeEnabled(true));
        if (!IsWindow(owner))
            owner = MakeOwner();
        g_blockedOwner = owner;
        g_blockedCreations = 0;
        HHOOK hook = row.blocked ? SetWindowsHookExA(WH_CBT, BlockPrompt, nullptr,
                                                     GetCurrentThreadId()) : nullptr;
        RunScript(owner, row.keys);
        if (hook)
            UnhookWindowsHookEx(hook);
        EXPECT_EQ(g_blockedCreations, row.blocked ? 1 : 0) << row.name;
        EXPECT_FALSE(g_script.overran) << row.name << ": the prompt stayed after the keys";
        EXPECT_EQ(g_script.next, row.keys.size()) << row.name;
        EXPECT_EQ(g_rec.batches, row.batches) << row.name;
        // NT restarts only for a caller whose SeShutdownPrivilege is enabled.
        EXPECT_EQ(g_rec.reboots, std::vector<bool>(row.reboots, true)) << row.name;
        EXPECT_EQ(IsWindow(owner) == FALSE, row.exited) << row.name;
        ASSERT_EQ(g_rec.boxes.size(), row.exited ? 1u : 0u) << row.name;
        if (row.exited) {
            EXPECT_EQ(g_rec.boxes[0].text, kRemoveByHand) << row.name;
            EXPECT_EQ(g_rec.boxes[0].caption, kWarning) << row.name;
            EXPECT_EQ(g_rec.boxes[0].style, 0x1040u) << row.name;
            EXPECT_EQ(g_rec.boxes[0].owner, owner) << row.name;
        }
    }
}

std::string BoxText(HWND box)
{
    char text[512] = "";
    GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
    return text;
}

// QORDELET.EXE itself: keys reach the welcome page through the program's own
// loop. Escape and Alt+F4 do nothing; Enter is Next and starts the run (which
// finds no setup log here); Cancel shows message 1053 with the page
// disabled. The program ends with exit code 0.
TEST(Program, KeysOnTheWelcomePage)
{
    std::string settings = WindowsDir() + "\\vorn.ini";
    ASSERT_TRUE(WriteFileText(settings, "[APPLICATIONS]\r\nVornDir=C:\\QORWIZ\r\n"));
    {
        Process p("\"" + BinDir() + "QORDELET.EXE\"");
        HWND page = WaitForWindow("#32770", kPageCaption);
        ASSERT_TRUE(page);
        PumpFor(300);
        PostKey(page, Key::Enter);
        HWND box = WaitForWindow("#32770", "QOR Brackenfield Un-Install Error");
        ASSERT_TRUE(box) << "Enter did not start the run";
        EXPECT_EQ(BoxText(box).rfind("The C:\\QORWIZ\\QVSETUP.INF file cannot be loaded", 0), 0u);
        PostMessageA(box, WM_COMMAND, IDOK, 0);
        EXPECT_EQ(p.WaitExit(), 0);
    }
    Process p("\"" + BinDir() + "QORDELET.EXE\"");
    ASSERT_TRUE(p.started);
    HWND page = WaitForWindow("#32770", kPageCaption);
    ASSERT_TRUE(page);
    PumpFor(300);
    PostKey(page, Key::Escape);
    PostKey(page, Key::AltF4);
    PumpFor(500);
    EXPECT_TRUE(IsWindow(page));
    EXPECT_FALSE(FindWindowA("#32770", kWarning));

    PostMessageA(GetDlgItem(page, IDC_PAGE_CANCEL), BM_CLICK, 0, 0);
    HWND box = WaitForWindow("#32770", kWarning);
    ASSERT_TRUE(box);
    EXPECT_EQ(BoxText(box), "Un-Install is not complete. If you quit the Un-Install program now, the "
                            "software will not be un-installed.");
    EXPECT_FALSE(IsWindowEnabled(page)) << "Next must not be usable under the notice";
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(p.WaitExit(), 0);
    EXPECT_FALSE(FindWindowA(kMainClass, nullptr));
    DeleteFileA(settings.c_str());
}

}  // namespace
