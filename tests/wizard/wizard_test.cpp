// The wizard's dialogs under wine, created in this process from the real
// templates with a stand-in main window as owner: their controls, placement,
// colours and picture on the screen, the keys the message loop routes to
// them, the restart loop, and QORDELET.EXE's welcome page as a user meets it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/removal.h"
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
constexpr COLORREF kPageGrey = RGB(192, 192, 192);
constexpr char kNotComplete[] =
    "Un-Install is not complete. If you quit the Un-Install program now, the software will "
    "not be un-installed.";
constexpr char kRemoveByHand[] =
    "You should manually remove the remained files from the installed directory.";

// ---------------------------------------------------------------------------
// Recorders: message boxes, the stand-in main window, the restart loop's calls

struct Box {
    std::string text, caption;
    UINT style;
    HWND owner;
    bool watchedEnabled;  // state of g_watched while the box was up
};
std::vector<Box> g_boxes;
HWND g_watched;

int WINAPI RecordBox(HWND owner, LPCSTR text, LPCSTR caption, UINT style)
{
    g_boxes.push_back({text, caption, style, owner, IsWindow(g_watched) && IsWindowEnabled(g_watched)});
    return IDOK;
}

struct OwnerMessage {
    UINT message;
    bool pageAlive;  // was g_watched still a window when it came?
};
std::vector<OwnerMessage> g_ownerMessages;

LRESULT CALLBACK OwnerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == kStartUninstall || message == kFinish) {
        g_ownerMessages.push_back({message, IsWindow(g_watched) != FALSE});
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

std::vector<BOOL> g_exitAnswers;
std::vector<UINT> g_exitCalls;
int g_batches;

BOOL WINAPI FakeExitWindows(UINT flags, DWORD reason)
{
    g_exitCalls.push_back(flags | (reason ? 0x80000000u : 0));
    std::size_t i = g_exitCalls.size() - 1;
    return i < g_exitAnswers.size() ? g_exitAnswers[i] : TRUE;
}

void CountBatch()
{
    ++g_batches;
}

// ---------------------------------------------------------------------------
// Driving dialogs

// The program's message loop: every message offered to the page first.
void Pump(HWND page, DWORD milliseconds)
{
    DWORD start = GetTickCount();
    do {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (page && IsWindow(page) && IsDialogMessageA(page, &msg))
                continue;
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        Sleep(5);
    } while (GetTickCount() - start < milliseconds);
}

HWND KeyTarget(HWND dialog)
{
    HWND focus = GetFocus();
    return focus && (focus == dialog || IsChild(dialog, focus)) ? focus : dialog;
}

enum class Key { Enter, Escape, AltF4, CloseCommand };

const char* KeyName(Key k)
{
    switch (k) {
    case Key::Enter: return "Enter";
    case Key::Escape: return "Escape";
    case Key::AltF4: return "Alt+F4";
    case Key::CloseCommand: return "system menu Close";
    }
    return "?";
}

void PostKey(HWND dialog, Key key)
{
    HWND target = KeyTarget(dialog);
    switch (key) {
    case Key::Enter:
    case Key::Escape: {
        WPARAM vk = key == Key::Enter ? VK_RETURN : VK_ESCAPE;
        PostMessageA(target, WM_KEYDOWN, vk, 1);
        PostMessageA(target, WM_KEYUP, vk, 0xC0000001);
        break;
    }
    case Key::AltF4:
        // Bit 29: the Alt key is down.
        PostMessageA(target, WM_SYSKEYDOWN, VK_MENU, 0x20000001);
        PostMessageA(target, WM_SYSKEYDOWN, VK_F4, 0x20000001);
        PostMessageA(target, WM_SYSKEYUP, VK_F4, 0xE0000001);
        PostMessageA(target, WM_KEYUP, VK_MENU, 0xC0000001);
        break;
    case Key::CloseCommand:
        PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
        break;
    }
}

// ---------------------------------------------------------------------------
// What a dialog should look like

struct Ctl {
    int id;             // -1 for the unnamed statics
    const char* cls;
    const char* text;   // null: not compared
    int x, y, cx, cy;   // dialog units; cx 0: not compared (resized)
    DWORD type;         // low bits of the style: BS_* or SS_*
    DWORD flags;        // WS_GROUP and WS_TABSTOP, compared exactly
    bool enabled;
};

constexpr DWORD G = WS_GROUP, T = WS_TABSTOP;

void ExpectControls(HWND dialog, const std::vector<Ctl>& expected, const char* name)
{
    std::vector<HWND> children;
    for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        children.push_back(c);
    ASSERT_EQ(children.size(), expected.size()) << name;
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const Ctl& e = expected[i];
        HWND c = children[i];
        std::string where = std::string(name) + " control " + std::to_string(i) + " (id " +
                            std::to_string(e.id) + ")";
        EXPECT_EQ(GetDlgCtrlID(c), e.id & 0xFFFF) << where;
        char cls[64];
        GetClassNameA(c, cls, sizeof cls);
        EXPECT_EQ(lstrcmpiA(cls, e.cls), 0) << where << ": class " << cls;
        if (e.text) {
            EXPECT_EQ(WindowText(c), e.text) << where;
        }
        DWORD style = static_cast<DWORD>(GetWindowLongA(c, GWL_STYLE));
        DWORD typeMask = lstrcmpiA(e.cls, "Button") == 0 ? 0x0F : 0x1F;
        if (lstrcmpiA(e.cls, "Percent") != 0) {
            EXPECT_EQ(style & typeMask, e.type) << where;
        } else {
            // Templates of the Windows 95 look get their WS_BORDER drawn as a
            // client edge.
            LONG exStyle = GetWindowLongA(c, GWL_EXSTYLE);
            EXPECT_TRUE((style & WS_BORDER) || (exStyle & WS_EX_CLIENTEDGE)) << where;
        }
        EXPECT_EQ(style & (WS_GROUP | WS_TABSTOP), e.flags) << where;
        EXPECT_EQ(IsWindowEnabled(c) != FALSE, e.enabled) << where;
        EXPECT_TRUE(IsWindowVisible(c) || !IsWindowVisible(dialog)) << where;
        if (e.cx) {
            // The dialog manager converts position and size separately.
            RECT want = {e.x, e.y, e.cx, e.cy};
            MapDialogRect(dialog, &want);
            RECT got;
            GetWindowRect(c, &got);
            MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&got), 2);
            EXPECT_TRUE(got.left == want.left && got.top == want.top &&
                        got.right - got.left == want.right && got.bottom - got.top == want.bottom)
                << where << ": at " << got.left << "," << got.top << " " << got.right - got.left
                << "x" << got.bottom - got.top << ", want " << want.left << "," << want.top << " "
                << want.right << "x" << want.bottom;
        }
    }
}

void ExpectCentred(HWND dialog, const char* name)
{
    RECT r;
    GetWindowRect(dialog, &r);
    EXPECT_EQ(r.left, (GetSystemMetrics(SM_CXSCREEN) - (r.right - r.left)) / 2) << name;
    EXPECT_EQ(r.top, (GetSystemMetrics(SM_CYSCREEN) - (r.bottom - r.top)) / 2) << name;
}

const std::vector<Ctl> kWelcomeControls = {
    {1, "Button", "&Next >", 172, 185, 51, 14, BS_DEFPUSHBUTTON, G | T, true},
    {9, "Button", "&Cancel", 229, 185, 51, 14, BS_PUSHBUTTON, G | T, true},
    {12, "Button", "< &Back", 121, 185, 51, 14, BS_PUSHBUTTON, 0, false},
    {1300, "Static", "", 10, 177, 270, 1, SS_BLACKFRAME, 0, true},
    {-1, "Static", "Welcome to the Brackenfield 4400 Series Software Uninstaller", 110, 9, 148,
     17, SS_LEFT, 0, true},
    {-1, "Static",
     "This Uninstaller will remove the Brackenfield 4400 Series Software from the Windows "
     "System.",
     109, 32, 169, 19, SS_LEFT, 0, true},
    {-1, "Static", "TrueType fonts that have been installed are not removed.", 109, 56, 150, 20,
     SS_LEFT, 0, true},
    {-1, "Static", "To begin uninstalling the software, click Next.", 109, 88, 167, 15, SS_LEFT,
     0, true},
    {-1, "Static", "Click Cancel if you do not want to uninstall the software.", 109, 112, 168,
     21, SS_LEFT, 0, true},
    {1000, "Button", "", 17, 15, 0, 0, BS_OWNERDRAW, 0, false},
};

const std::vector<Ctl> kCompletionControls = {
    {1, "Button", "&Finish >", 174, 185, 51, 14, BS_DEFPUSHBUTTON, G | T, true},
    {9, "Button", "Cancel", 231, 185, 51, 14, BS_PUSHBUTTON, 0, false},
    {12, "Button", "< &Back", 123, 185, 51, 14, BS_PUSHBUTTON, 0, false},
    {1300, "Static", "", 10, 178, 270, 1, SS_BLACKFRAME, 0, true},
    {-1, "Static", "Uninstallation Complete!", 99, 7, 125, 13, SS_LEFT, 0, true},
    {-1, "Static", "The following items were uninstalled from your hard disk:", 99, 26, 186, 14,
     SS_LEFT, 0, true},
    {1001, "Static", nullptr, 111, 42, 136, 29, SS_LEFT, 0, true},
    {-1, "Static", "The following items were removed:", 99, 77, 150, 15, SS_LEFT, 0, true},
    {-1, "Static", "Brackenfield Program Group\nPrinter Settings from Windows", 111, 95, 129, 21,
     SS_LEFT, 0, true},
    {-1, "Static", "TrueType fonts are not removed.", 110, 123, 142, 15, SS_LEFT, 0, true},
    {1000, "Button", "", 17, 15, 0, 0, BS_OWNERDRAW, 0, false},
};

const std::vector<Ctl> kStatusControls = {
    {103, "Static", "", 9, 4, 171, 8, SS_LEFT, 0, true},
    {104, "Static", "", 12, 14, 173, 12, SS_LEFT, 0, true},
    {100, "Percent", nullptr, 15, 35, 189, 21, 0, 0, true},
};

const std::vector<Ctl> kPromptControls = {
    {107, "Button", "&Restart", 110, 50, 50, 15, BS_DEFPUSHBUTTON, T, true},
    {106, "Button", "&Exit", 170, 50, 50, 15, BS_PUSHBUTTON, T, true},
    {201, "Static",
     "The software will not be removed until Windows has been restarted.\n\nRestart Windows now?",
     33, 9, 182, 36, SS_LEFT, G, true},
    {-1, "Static", nullptr, 4, 7, 0, 0, SS_ICON, 0, true},
};

// ---------------------------------------------------------------------------
// The page picture as the resource describes it, pixel by pixel

struct Picture {
    int width = 0, height = 0;
    std::vector<COLORREF> px;
};

Picture ExpectedPicture()
{
    Picture pic;
    HMODULE self = GetModuleHandleA(nullptr);
    HRSRC found = FindResourceA(self, "LCNBMP", RT_BITMAP);
    if (!found)
        return pic;
    const auto* data = static_cast<const BYTE*>(LockResource(LoadResource(self, found)));
    const auto* header = reinterpret_cast<const BITMAPINFOHEADER*>(data);
    // The format the pages promise: 40-byte header, 8 bits, a full table
    // (used count 0), bottom-up rows, nothing else in the resource.
    EXPECT_EQ(header->biSize, 40u);
    EXPECT_EQ(header->biWidth, 120);
    EXPECT_EQ(header->biHeight, 225);
    EXPECT_EQ(header->biBitCount, 8);
    EXPECT_EQ(header->biCompression, static_cast<DWORD>(BI_RGB));
    EXPECT_EQ(header->biClrUsed, 0u);
    EXPECT_EQ(SizeofResource(self, found), 40u + 256 * 4 + 120 * 225);
    if (header->biSize != 40 || header->biBitCount != 8 || header->biWidth != 120 ||
        header->biHeight != 225)
        return pic;
    const BYTE* table = data + 40;
    const BYTE* bits = table + 256 * 4;
    pic.width = 120;
    pic.height = 225;
    for (int y = 0; y < 225; ++y) {
        const BYTE* row = bits + (224 - y) * 120;
        for (int x = 0; x < 120; ++x) {
            const BYTE* q = table + 4 * row[x];
            pic.px.push_back(RGB(q[2], q[1], q[0]));
        }
    }
    return pic;
}

void ExpectPictureOnScreen(HWND page, const char* name)
{
    static const Picture expected = ExpectedPicture();
    ASSERT_EQ(expected.px.size(), 120u * 225u);
    HWND picture = GetDlgItem(page, IDC_PAGE_BITMAP);
    ASSERT_TRUE(picture) << name;
    RECT r;
    GetWindowRect(picture, &r);
    EXPECT_EQ(r.right - r.left, 120) << name;
    EXPECT_EQ(r.bottom - r.top, 225) << name;
    shots::Shot shot = shots::Capture(r);
    ASSERT_EQ(shot.px.size(), expected.px.size()) << name;
    int wrong = 0;
    std::string first;
    for (int y = 0; y < 225; ++y)
        for (int x = 0; x < 120; ++x)
            if (shot.At(x, y) != expected.px[y * 120 + x] && wrong++ == 0)
                first = std::to_string(x) + "," + std::to_string(y);
    EXPECT_EQ(wrong, 0) << name << ": first wrong pixel at " << first;
}

COLORREF BrushColour(INT_PTR brush)
{
    LOGBRUSH lb = {};
    if (!brush || !GetObjectA(reinterpret_cast<HBRUSH>(brush), sizeof lb, &lb))
        return CLR_INVALID;
    return lb.lbColor;
}

// Screen colour at a point given in the dialog's dialog units.
COLORREF PixelAtDialogUnits(HWND dialog, int x, int y)
{
    RECT r = {x, y, x, y};
    MapDialogRect(dialog, &r);
    POINT p = {r.left, r.top};
    ClientToScreen(dialog, &p);
    return ScreenPixel(p.x, p.y);
}

// ---------------------------------------------------------------------------

// The pages' owner. Hidden: without a window manager Wine waits two seconds
// for every visible window it manages to be withdrawn, and an owner of
// dialogs is one of those.
HWND MakeOwner()
{
    static ATOM registered = 0;
    if (!registered) {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = OwnerProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "WizardTestOwner";
        registered = RegisterClassA(&wc);
    }
    HWND w = CreateWindowExA(0, "WizardTestOwner", "", WS_POPUP, 0, 0, 8, 8,
                             nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    return w;
}

class Wizard : public ::testing::Test {
protected:
    HWND owner = nullptr;

    void SetUp() override
    {
        g_instance = GetModuleHandleA(nullptr);
        g_config = ConfigRecord();
        lstrcpynA(g_config.MainTitle, kMainTitle, sizeof g_config.MainTitle);
        lstrcpynA(g_config.WarningCaption, kWarning, sizeof g_config.WarningCaption);
        g_numColors = -1;  // what a true-colour display reports
        g_pclFlag = g_postScriptFlag = g_monitorFlag = 1;
        g_boxes.clear();
        g_ownerMessages.clear();
        g_watched = nullptr;
        g_messageBox = RecordBox;
        g_exitWindows = FakeExitWindows;
        g_writeDeferredBatch = CountBatch;
        g_exitAnswers.clear();
        g_exitCalls.clear();
        g_batches = 0;

        owner = MakeOwner();
        ASSERT_TRUE(owner);
    }
    void TearDown() override
    {
        if (IsWindow(owner))
            DestroyWindow(owner);  // takes any page with it
        Pump(nullptr, 50);
        g_messageBox = MessageBoxA;
        g_exitWindows = ExitWindowsEx;
        g_writeDeferredBatch = WriteDeferredDeletionBatch;
        g_welcomePage = g_completionPage = nullptr;
    }

    HWND Page(int id)
    {
        DLGPROC proc = id == IDD_WELCOME ? ContinueDlgProc : CompleteDlgProc;
        HWND page = CreateDialogParamA(g_instance, MAKEINTRESOURCEA(id), owner, proc, 0);
        (id == IDD_WELCOME ? g_welcomePage : g_completionPage) = page;
        g_watched = page;
        Pump(page, 300);
        return page;
    }
};

TEST_F(Wizard, PagesHaveTheirControlsAndAreCentred)
{
    struct {
        int id;
        const char* name;
        const std::vector<Ctl>* controls;
    } pages[] = {{IDD_WELCOME, "welcome", &kWelcomeControls},
                 {IDD_COMPLETE, "completion", &kCompletionControls}};
    for (const auto& p : pages) {
        HWND page = Page(p.id);
        ASSERT_TRUE(page) << p.name;
        EXPECT_EQ(WindowText(page), kPageCaption) << p.name;
        LONG style = GetWindowLongA(page, GWL_STYLE);
        EXPECT_TRUE(IsWindowVisible(page)) << p.name;
        EXPECT_EQ(style & (WS_CAPTION | WS_SYSMENU), WS_CAPTION | WS_SYSMENU) << p.name;
        EXPECT_EQ(GetWindow(page, GW_OWNER), owner) << p.name;
        ExpectControls(page, *p.controls, p.name);
        ExpectCentred(page, p.name);
        EXPECT_EQ(LOWORD(SendMessageA(page, DM_GETDEFID, 0, 0)), IDC_NEXT) << p.name;
        EXPECT_EQ(GetFocus(), GetDlgItem(page, IDC_NEXT)) << p.name;
        ExpectPictureOnScreen(page, p.name);
        shots::SaveIfAsked(shots::CaptureWindow(page), p.name);
        DestroyWindow(page);
        EXPECT_EQ(p.id == IDD_WELCOME ? g_welcomePage : g_completionPage, nullptr)
            << p.name << ": the loop would offer keys to a dead page";
    }
}

TEST_F(Wizard, ColourSchemeFollowsTheDisplayAndThePictureIsAlwaysDrawn)
{
    struct {
        int numColors;
        bool grey;
    } rows[] = {{-1, true}, {256, true}, {3, true}, {2, false}, {0, false}};
    for (int id : {IDD_WELCOME, IDD_COMPLETE}) {
        HWND page = Page(id);
        ASSERT_TRUE(page);
        DLGPROC proc = id == IDD_WELCOME ? ContinueDlgProc : CompleteDlgProc;
        HWND text = GetDlgItem(page, id == IDD_WELCOME ? IDC_NEXT : IDC_REMOVED_LIST);
        for (const auto& row : rows) {
            std::string name = (id == IDD_WELCOME ? std::string("welcome") : "completion") +
                               " NUMCOLORS " + std::to_string(row.numColors);
            g_numColors = row.numColors;
            HDC dc = GetDC(text);
            SetTextColor(dc, RGB(1, 2, 3));
            SetBkMode(dc, OPAQUE);
            // The page procedure's own answer; FALSE hands over to the
            // dialog manager's default colours.
            INT_PTR brush = proc(page, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                 reinterpret_cast<LPARAM>(text));
            INT_PTR dialogBrush = proc(page, WM_CTLCOLORDLG, reinterpret_cast<WPARAM>(dc),
                                       reinterpret_cast<LPARAM>(page));
            if (row.grey) {
                EXPECT_EQ(BrushColour(brush), kPageGrey) << name;
                EXPECT_EQ(GetTextColor(dc), RGB(0, 0, 0)) << name;
                EXPECT_EQ(GetBkMode(dc), TRANSPARENT) << name;
                EXPECT_EQ(dialogBrush, brush) << name << ": one page brush for all";
            } else {
                EXPECT_EQ(brush, 0) << name;
                EXPECT_EQ(dialogBrush, 0) << name;
                EXPECT_EQ(GetTextColor(dc), RGB(1, 2, 3)) << name;
            }
            ReleaseDC(text, dc);

            RedrawWindow(page, nullptr, nullptr,
                         RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
            Pump(page, 100);
            // Between the picture and the rule, right of the texts.
            COLORREF background = PixelAtDialogUnits(page, 200, 160);
            if (row.grey) {
                EXPECT_EQ(background, kPageGrey) << name;
            } else {
                EXPECT_EQ(background, GetSysColor(COLOR_BTNFACE)) << name;
            }
            ExpectPictureOnScreen(page, name.c_str());
        }
        DestroyWindow(page);
    }
}

TEST(PageBitmap, LoadsWithItsOwnPaletteOrNothingAtAll)
{
    HPALETTE palette = reinterpret_cast<HPALETTE>(1);
    // A module without the picture: no bitmap, no palette; the page stays blank.
    EXPECT_EQ(LoadPaletteBitmap(GetModuleHandleA("kernel32.dll"), "LCNBMP", &palette), nullptr);
    EXPECT_EQ(palette, nullptr);

    HBITMAP bitmap = LoadPaletteBitmap(GetModuleHandleA(nullptr), "LCNBMP", &palette);
    ASSERT_TRUE(bitmap);
    ASSERT_TRUE(palette);
    BITMAP info = {};
    GetObjectA(bitmap, sizeof info, &info);
    EXPECT_EQ(info.bmWidth, 120);
    EXPECT_EQ(info.bmHeight, 225);
    // Every palette entry is the colour table's quadruple, red and blue swapped back.
    HRSRC found = FindResourceA(GetModuleHandleA(nullptr), "LCNBMP", RT_BITMAP);
    const auto* dib = static_cast<const BYTE*>(LockResource(LoadResource(nullptr, found)));
    PALETTEENTRY entries[256];
    ASSERT_EQ(GetPaletteEntries(palette, 0, 256, entries), 256u);
    for (int i = 0; i < 256; ++i) {
        const BYTE* q = dib + 40 + 4 * i;
        EXPECT_EQ(RGB(entries[i].peRed, entries[i].peGreen, entries[i].peBlue),
                  RGB(q[2], q[1], q[0])) << "entry " << i;
    }
    DeleteObject(bitmap);
    DeleteObject(palette);
}

TEST_F(Wizard, WelcomePageIgnoresEscapeAndCloseAndEnterActsAsNext)
{
    HWND page = Page(IDD_WELCOME);
    ASSERT_TRUE(page);
    for (Key k : {Key::Escape, Key::AltF4, Key::CloseCommand}) {
        PostKey(page, k);
        Pump(page, 200);
        EXPECT_TRUE(IsWindow(page)) << KeyName(k);
        EXPECT_TRUE(g_ownerMessages.empty()) << KeyName(k);
        EXPECT_TRUE(g_boxes.empty()) << KeyName(k);
    }
    // Back is disabled and says nothing.
    PostMessageA(GetDlgItem(page, IDC_BACK), BM_CLICK, 0, 0);
    Pump(page, 200);
    EXPECT_TRUE(IsWindow(page));
    EXPECT_TRUE(g_ownerMessages.empty());

    PostKey(page, Key::Enter);
    Pump(page, 300);
    EXPECT_FALSE(IsWindow(page));
    ASSERT_EQ(g_ownerMessages.size(), 1u);
    EXPECT_EQ(g_ownerMessages[0].message, kStartUninstall);
    EXPECT_FALSE(g_ownerMessages[0].pageAlive) << "the page goes before the uninstall starts";
    EXPECT_EQ(g_welcomePage, nullptr);
    EXPECT_TRUE(IsWindow(owner));
}

TEST_F(Wizard, CancelSaysTheUninstallIsNotCompleteAndEndsTheProgram)
{
    HWND page = Page(IDD_WELCOME);
    ASSERT_TRUE(page);
    PostMessageA(GetDlgItem(page, IDC_PAGE_CANCEL), BM_CLICK, 0, 0);
    Pump(page, 300);
    ASSERT_EQ(g_boxes.size(), 1u);
    EXPECT_EQ(g_boxes[0].text, kNotComplete);
    EXPECT_EQ(g_boxes[0].caption, kWarning);
    EXPECT_EQ(g_boxes[0].style, 4160u);
    EXPECT_EQ(g_boxes[0].owner, owner);
    EXPECT_FALSE(g_boxes[0].watchedEnabled) << "Next must not be usable under the notice";
    EXPECT_FALSE(IsWindow(owner));
    EXPECT_FALSE(IsWindow(page));
    EXPECT_TRUE(g_ownerMessages.empty());
}

TEST_F(Wizard, CompletionPageFinishesOnEnterEscapeAndClose)
{
    for (Key k : {Key::Enter, Key::Escape, Key::AltF4, Key::CloseCommand}) {
        g_ownerMessages.clear();
        HWND page = Page(IDD_COMPLETE);
        ASSERT_TRUE(page) << KeyName(k);
        PostKey(page, k);
        Pump(page, 300);
        EXPECT_FALSE(IsWindow(page)) << KeyName(k);
        ASSERT_EQ(g_ownerMessages.size(), 1u) << KeyName(k);
        EXPECT_EQ(g_ownerMessages[0].message, kFinish) << KeyName(k);
        EXPECT_FALSE(g_ownerMessages[0].pageAlive) << KeyName(k);
        EXPECT_EQ(g_completionPage, nullptr) << KeyName(k);
    }
}

TEST_F(Wizard, CompletionPageListsWhatWasRemoved)
{
    struct {
        int pcl, postScript, monitor;
        const char* list;
    } rows[] = {
        {1, 1, 1, "PCL Printer Driver\nPostScript Printer Driver\nPrint Monitor Software"},
        {0, 0, 0, ""},
        {0, 1, 0, "PostScript Printer Driver\n"},
    };
    for (const auto& row : rows) {
        g_pclFlag = row.pcl;
        g_postScriptFlag = row.postScript;
        g_monitorFlag = row.monitor;
        HWND page = Page(IDD_COMPLETE);
        ASSERT_TRUE(page);
        std::string name = std::to_string(row.pcl) + std::to_string(row.postScript) +
                           std::to_string(row.monitor);
        EXPECT_EQ(WindowText(GetDlgItem(page, IDC_REMOVED_LIST)), row.list) << name;
        // The rest of the page is the same whatever the list says.
        ExpectControls(page, kCompletionControls, name.c_str());
        if (row.pcl && row.postScript && row.monitor)
            shots::SaveIfAsked(shots::CaptureWindow(page), "completion-all");
        DestroyWindow(page);
    }
}

TEST_F(Wizard, ProgressDialogResetsWhenShownAndStaysOpenOnClose)
{
    HMODULE gauge = LoadLibraryA((BinDir() + "GAUGE32.DLL").c_str());
    ASSERT_TRUE(gauge);
    HWND dialog = CreateDialogParamA(g_instance, MAKEINTRESOURCEA(IDD_STATUS), owner,
                                     StatusDlgProc, 0);
    ASSERT_TRUE(dialog);
    EXPECT_FALSE(IsWindowVisible(dialog));
    EXPECT_EQ(WindowText(dialog), kMainTitle);
    LONG style = GetWindowLongA(dialog, GWL_STYLE);
    EXPECT_EQ(style & (WS_CAPTION | WS_SYSMENU), WS_CAPTION);
    ExpectControls(dialog, kStatusControls, "progress");
    ExpectCentred(dialog, "progress");

    HWND bar = GetDlgItem(dialog, IDC_GAUGE);
    auto barPixel = [&](bool left) {
        RECT r = shots::ScreenClientRect(bar);
        return ScreenPixel(left ? r.left + 2 : r.right - 3, r.top + 2);
    };
    constexpr COLORREF kBlue = RGB(0, 0, 255), kWhite = RGB(255, 255, 255);

    for (int round = 0; round < 2; ++round) {
        // What a finished phase leaves behind.
        SetDlgItemTextA(dialog, IDC_OPERATION_LINE, "Deleting files...");
        SetDlgItemTextA(dialog, IDC_ITEM_LINE, "C:\\QOR\\Q44PCL.DRV");
        SendMessageA(bar, kGaugeSetPosition, 0, 0);
        SendMessageA(bar, kGaugeSetRange, 5, 0);
        SendMessageA(bar, kGaugeSetPosition, 5, 0);

        ShowWindow(dialog, SW_SHOW);
        UpdateWindow(dialog);
        Pump(nullptr, 200);
        EXPECT_EQ(WindowText(GetDlgItem(dialog, IDC_OPERATION_LINE)), "") << round;
        EXPECT_EQ(WindowText(GetDlgItem(dialog, IDC_ITEM_LINE)), "") << round;
        EXPECT_EQ(barPixel(true), kWhite) << round << ": gauge not reset";

        // Half way: blue bar on white, the colours the dialog gives on 1028.
        SetDlgItemTextA(dialog, IDC_OPERATION_LINE, "Deleting files...");
        SetDlgItemTextA(dialog, IDC_ITEM_LINE, "C:\\QOR\\QOR4400.DRV");
        SendMessageA(bar, kGaugeSetPosition, 0, 0);
        SendMessageA(bar, kGaugeSetRange, 4, 0);
        SendMessageA(bar, kGaugeSetPosition, 2, 0);
        UpdateWindow(dialog);
        Pump(nullptr, 200);
        EXPECT_EQ(barPixel(true), kBlue) << round;
        EXPECT_EQ(barPixel(false), kWhite) << round;
        if (round == 0)
            shots::SaveIfAsked(shots::CaptureWindow(dialog), "progress");
        ShowWindow(dialog, SW_HIDE);
    }

    ShowWindow(dialog, SW_SHOW);
    PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    PostMessageA(dialog, WM_CLOSE, 0, 0);
    Pump(nullptr, 200);
    EXPECT_TRUE(IsWindow(dialog));
    EXPECT_TRUE(IsWindowVisible(dialog));

    HDC dc = CreateCompatibleDC(nullptr);
    SetTextColor(dc, RGB(1, 2, 3));
    SetBkColor(dc, RGB(4, 5, 6));
    EXPECT_EQ(SendMessageA(dialog, kGaugeColours, reinterpret_cast<WPARAM>(dc), 0), 0);
    EXPECT_EQ(GetTextColor(dc), kBlue);
    EXPECT_EQ(GetBkColor(dc), kWhite);
    DeleteDC(dc);

    DestroyWindow(dialog);
    FreeLibrary(gauge);
}

// ---------------------------------------------------------------------------
// The restart prompt is modal: a thread timer, dispatched by the prompt's own
// loop, plays a script of actions against whichever prompt is up.

enum class Act { Inspect, Escape, AltF4, Close, Enter, ClickRestart, ClickExit };

struct Script {
    HWND owner = nullptr;
    std::vector<Act> acts;
    std::size_t next = 0;
    std::vector<HWND> seen;  // the prompt each act found
    bool overran = false;
};
Script* g_script;

BOOL CALLBACK FindOwnedDialog(HWND w, LPARAM lParam)
{
    auto* found = reinterpret_cast<std::pair<HWND, HWND>*>(lParam);
    char cls[16];
    GetClassNameA(w, cls, sizeof cls);
    if (lstrcmpA(cls, "#32770") == 0 && GetWindow(w, GW_OWNER) == found->first &&
        IsWindowVisible(w)) {
        found->second = w;
        return FALSE;
    }
    return TRUE;
}

HWND FindPrompt(HWND owner)
{
    std::pair<HWND, HWND> found(owner, nullptr);
    EnumThreadWindows(GetCurrentThreadId(), FindOwnedDialog, reinterpret_cast<LPARAM>(&found));
    return found.second;
}

void InspectPrompt(HWND prompt)
{
    EXPECT_EQ(WindowText(prompt), kMainTitle);
    LONG style = GetWindowLongA(prompt, GWL_STYLE);
    EXPECT_EQ(style & (WS_CAPTION | WS_SYSMENU), WS_CAPTION);
    ExpectControls(prompt, kPromptControls, "prompt");
    ExpectCentred(prompt, "prompt");
    EXPECT_EQ(GetFocus(), GetDlgItem(prompt, IDC_RESTART));
    HWND icon = GetWindow(GetDlgItem(prompt, IDC_PROMPT_TEXT), GW_HWNDNEXT);
    EXPECT_TRUE(SendMessageA(icon, STM_GETICON, 0, 0)) << "icon 101 not loaded";

    HWND text = GetDlgItem(prompt, IDC_PROMPT_TEXT);
    HDC dc = GetDC(text);
    INT_PTR brush = EndDlgProc(prompt, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                               reinterpret_cast<LPARAM>(text));
    ReleaseDC(text, dc);
    if (IsColourDisplay(g_numColors)) {
        EXPECT_EQ(BrushColour(brush), kPageGrey);
        UpdateWindow(prompt);
        EXPECT_EQ(PixelAtDialogUnits(prompt, 2, 45), kPageGrey);
        // The icon's screen: navy at its top left corner.
        RECT r = shots::ScreenClientRect(icon);
        EXPECT_EQ(ScreenPixel(r.left + 6, r.top + 6), RGB(0, 0, 128));
        shots::SaveIfAsked(shots::CaptureWindow(prompt), "prompt");
    } else {
        EXPECT_EQ(brush, 0);
    }
}

void CALLBACK ScriptTick(HWND, UINT, UINT_PTR, DWORD)
{
    Script& s = *g_script;
    HWND prompt = FindPrompt(s.owner);
    if (!prompt)
        return;
    if (s.next >= s.acts.size()) {
        // The script is over but the loop is not: leave by Exit.
        s.overran = true;
        PostMessageA(GetDlgItem(prompt, IDC_EXIT), BM_CLICK, 0, 0);
        return;
    }
    Act act = s.acts[s.next++];
    s.seen.push_back(prompt);
    switch (act) {
    case Act::Inspect: InspectPrompt(prompt); break;
    case Act::Escape: PostKey(prompt, Key::Escape); break;
    case Act::AltF4: PostKey(prompt, Key::AltF4); break;
    case Act::Close: PostKey(prompt, Key::CloseCommand); break;
    case Act::Enter: PostKey(prompt, Key::Enter); break;
    case Act::ClickRestart: PostMessageA(GetDlgItem(prompt, IDC_RESTART), BM_CLICK, 0, 0); break;
    case Act::ClickExit: PostMessageA(GetDlgItem(prompt, IDC_EXIT), BM_CLICK, 0, 0); break;
    }
}

Script RunScript(HWND owner, std::vector<Act> acts)
{
    Script script;
    script.owner = owner;
    script.acts = std::move(acts);
    g_script = &script;
    UINT_PTR timer = SetTimer(nullptr, 0, 150, ScriptTick);
    RunRestartPromptLoop(owner);
    KillTimer(nullptr, timer);
    g_script = nullptr;
    return script;
}

TEST_F(Wizard, RestartLoop)
{
    struct Row {
        const char* name;
        std::vector<Act> acts;
        std::vector<BOOL> answers;  // ExitWindowsEx's, in turn
        int batches, reboots;
        bool removeByHand;  // message 1054 shown and the main window gone
    } rows[] = {
        {"Exit at once", {Act::ClickExit}, {}, 0, 0, true},
        {"Restart accepted", {Act::ClickRestart}, {TRUE}, 1, 1, false},
        {"Enter is Restart", {Act::Enter}, {TRUE}, 1, 1, false},
        {"refused, Restart again", {Act::ClickRestart, Act::Enter}, {FALSE, TRUE}, 1, 2, false},
        {"refused twice, then Exit",
         {Act::Enter, Act::ClickRestart, Act::ClickExit}, {FALSE, FALSE}, 1, 2, true},
    };
    for (const Row& row : rows) {
        g_boxes.clear();
        g_exitAnswers = row.answers;
        g_exitCalls.clear();
        g_batches = 0;
        if (!IsWindow(owner))
            owner = MakeOwner();
        Script s = RunScript(owner, row.acts);
        EXPECT_FALSE(s.overran) << row.name << ": the prompt stayed after the script";
        EXPECT_EQ(s.next, row.acts.size()) << row.name;
        EXPECT_EQ(g_batches, row.batches) << row.name;
        ASSERT_EQ(static_cast<int>(g_exitCalls.size()), row.reboots) << row.name;
        for (UINT call : g_exitCalls)
            EXPECT_EQ(call, static_cast<UINT>(EWX_REBOOT)) << row.name << ": flags, reserved 0";
        if (row.removeByHand) {
            ASSERT_EQ(g_boxes.size(), 1u) << row.name;
            EXPECT_EQ(g_boxes[0].text, kRemoveByHand) << row.name;
            EXPECT_EQ(g_boxes[0].caption, kWarning) << row.name;
            EXPECT_EQ(g_boxes[0].style, 4160u) << row.name;
            EXPECT_EQ(g_boxes[0].owner, owner) << row.name;
            EXPECT_FALSE(IsWindow(owner)) << row.name;
        } else {
            EXPECT_TRUE(g_boxes.empty()) << row.name;
            EXPECT_TRUE(IsWindow(owner)) << row.name << ": waits for the session to end";
        }
    }
}

TEST_F(Wizard, RestartPromptLeavesOnlyByItsButtons)
{
    for (int numColors : {-1, 2}) {
        g_numColors = numColors;
        g_exitAnswers = {TRUE};
        g_exitCalls.clear();
        g_batches = 0;
        Script s = RunScript(owner, {Act::Inspect, Act::Escape, Act::AltF4, Act::Close,
                                     Act::Inspect, Act::Enter});
        ASSERT_EQ(s.seen.size(), 6u) << numColors;
        for (HWND seen : s.seen)
            EXPECT_EQ(seen, s.seen[0]) << numColors << ": a key ended the prompt";
        EXPECT_FALSE(s.overran);
        EXPECT_EQ(g_batches, 1);
        EXPECT_EQ(g_exitCalls.size(), 1u);
        EXPECT_TRUE(g_boxes.empty());
    }
}

// Creating any window owned by `g_blockedOwner` fails, a limited number of
// times: the prompt cannot be shown.
HWND g_blockedOwner;
int g_blockedCreations;

LRESULT CALLBACK BlockPrompt(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_CREATEWND) {
        auto* create = reinterpret_cast<CBT_CREATEWNDA*>(lParam);
        if (create->lpcs->hwndParent == g_blockedOwner && g_blockedCreations < 3) {
            ++g_blockedCreations;
            return 1;
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

TEST_F(Wizard, APromptThatCannotBeShownCountsAsExit)
{
    g_blockedOwner = owner;
    g_blockedCreations = 0;
    HHOOK hook = SetWindowsHookExA(WH_CBT, BlockPrompt, nullptr, GetCurrentThreadId());
    ASSERT_TRUE(hook);
    // Should the loop ask again, the fourth prompt comes up and is left by Exit.
    Script s = RunScript(owner, {});
    UnhookWindowsHookEx(hook);
    EXPECT_EQ(g_blockedCreations, 1) << "the loop asked again for a prompt that cannot be shown";
    EXPECT_FALSE(s.overran);
    ASSERT_EQ(g_boxes.size(), 1u);
    EXPECT_EQ(g_boxes[0].text, kRemoveByHand);
    EXPECT_FALSE(IsWindow(owner));
    EXPECT_EQ(g_batches, 0);
    EXPECT_TRUE(g_exitCalls.empty());
}

// ---------------------------------------------------------------------------
// QORDELET.EXE itself: the welcome page through the program's own loop.

class Program : public ::testing::Test {
protected:
    std::string settings = WindowsDir() + "\\vorn.ini";
    void SetUp() override
    {
        ASSERT_TRUE(WriteFileText(settings, "[APPLICATIONS]\r\nVornDir=C:\\QORWIZ\r\n"));
    }
    void TearDown() override { DeleteFileA(settings.c_str()); }
};

TEST_F(Program, CancelOnTheWelcomePageEndsWithExitCodeZero)
{
    Process p("\"" + BinDir() + "QORDELET.EXE\"");
    ASSERT_TRUE(p.started);
    HWND page = WaitForWindow("#32770", kPageCaption);
    ASSERT_TRUE(page);
    DWORD pid = 0;
    GetWindowThreadProcessId(page, &pid);
    EXPECT_EQ(pid, p.info.dwProcessId);
    PumpFor(300);

    // Escape and Alt+F4 reach the page through the program's loop and do nothing.
    PostKey(page, Key::Escape);
    PostKey(page, Key::AltF4);
    PumpFor(500);
    EXPECT_TRUE(IsWindow(page));
    EXPECT_FALSE(FindWindowA("#32770", kWarning));

    PostMessageA(GetDlgItem(page, IDC_PAGE_CANCEL), BM_CLICK, 0, 0);
    HWND box = WaitForWindow("#32770", kWarning);
    ASSERT_TRUE(box);
    char text[512];
    GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
    EXPECT_STREQ(text, kNotComplete);
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(p.WaitExit(), 0);
    EXPECT_FALSE(FindWindowA(kMainClass, nullptr));
}

}  // namespace
