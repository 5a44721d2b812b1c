// The application under wine: QORDELET.EXE itself started as a user would
// start it, and the restart prompt's loop with the system's answers played
// in. The whole run is in tests/e2e.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "app/app.h"
#include "base/base.h"
#include "resource.h"
#include "support/winsupport.h"

using namespace winsupport;
using std::make_tuple;
using std::string;

namespace {

const std::string kSettings = WindowsDir() + "\\vorn.ini";
const char kWarning[] = "QOR Brackenfield Un-Install Warning";
const char kNothing[] = "Cannot find any information to un-install.";
const std::string kProgram = "\"" + BinDir() + "QORDELET.EXE\"";  // QORDELET.EXE as a process

// What the restart loop did: the message boxes; for each reboot request
// whether SeShutdownPrivilege was enabled, and the answers the system gives
// in turn (true after the list); the batches written.
using Box = std::tuple<string, string, UINT, HWND>;  // text, caption, style, owner
struct Record {
    std::vector<Box> boxes; std::vector<bool> reboots, answers; int batches;
} g_rec;

// Disables SeShutdownPrivilege in the process's token, as it is for every
// user at logon; true when it was enabled.
bool DisableShutdownPrivilege()
{
    HANDLE token = nullptr;
    DWORD size;
    TOKEN_PRIVILEGES off = {1, {{{0, 0}, 0}}}, before = {};
    OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY | TOKEN_ADJUST_PRIVILEGES, &token);
    LookupPrivilegeValueA(nullptr, "SeShutdownPrivilege", &off.Privileges[0].Luid);
    AdjustTokenPrivileges(token, FALSE, &off, sizeof before, &before, &size);
    CloseHandle(token);
    return before.PrivilegeCount == 1 && (before.Privileges[0].Attributes & SE_PRIVILEGE_ENABLED);
}

}  // namespace

// This test's own message box, restart request and batch writer, linked in
// place of the program's: nobody presses OK, and the session goes on.
int ShowMessageBox(HWND owner, const char* text, const char* caption, UINT style)
{
    g_rec.boxes.emplace_back(text, caption, style, owner);
    return IDOK;
}

bool RequestReboot()
{
    std::size_t n = g_rec.reboots.size();
    g_rec.reboots.push_back(DisableShutdownPrivilege());  // NT restarts only with it enabled
    return n < g_rec.answers.size() ? g_rec.answers[n] : true;
}

void PrepareRestartRemoval() { ++g_rec.batches; }

namespace {

// External or not: the main window is gone before the command tail is read.
TEST(Program, NothingToUninstallSaysSoOnceAndExitsWithZero)
{
    DeleteFileA(kSettings.c_str());
    Process p(kProgram + " External");
    HWND box = WaitForWindow("#32770", kWarning);
    ASSERT_TRUE(box);
    PumpFor(500);
    EXPECT_FALSE(FindWindowExA(nullptr, box, "#32770", kWarning)) << "a second box";
    EXPECT_EQ(WindowText(GetDlgItem(box, 0xFFFF)), kNothing);
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(p.WaitExit(), 0);
}

// The welcome page is reached through the program's own message loop: Enter
// is Next only when the loop offers keys to the page. The run then finds no
// setup log in C:\QORTEST (the failure's text is sequence_win32_test's).
TEST(Program, BackdropCoversTheScreenASecondStartLeavesAndEnterStartsTheRun)
{
    ASSERT_TRUE(WriteFileText(kSettings, "[APPLICATIONS]\r\nVornDir=C:\\QORTEST\r\n"));
    Process first(kProgram);
    HWND main = WaitForWindow(kMainClass, kMainTitle);
    HWND page = WaitForWindow("#32770", "QOR Brackenfield 4400 Series Software Uninstaller");
    DeleteFileA(kSettings.c_str());
    ASSERT_TRUE(main && page);
    PumpFor(700);

    RECT r;
    GetWindowRect(main, &r);
    const int cx = GetSystemMetrics(SM_CXSCREEN), cy = GetSystemMetrics(SM_CYSCREEN);
    EXPECT_EQ(std::make_tuple(r.left, r.top, r.right, r.bottom), std::make_tuple(0L, 0L, cx, cy));
    // Bands of four rows from blue 255 down to 1, black below; no page covers
    // the left edge.
    const std::pair<int, COLORREF> pixels[] = {{0, RGB(0, 0, 255)}, {3, RGB(0, 0, 255)},
        {4, RGB(0, 0, 253)}, {511, RGB(0, 0, 1)}, {512, 0}, {cy - 1, 0}};
    for (const auto& [y, colour] : pixels)
        EXPECT_EQ(ScreenPixel(2, y), colour) << "row " << y;

    Process second(kProgram);
    EXPECT_EQ(second.WaitExit(5000), 0);
    EXPECT_TRUE(first.Running());
    EXPECT_EQ(FindWindowA(kMainClass, kMainTitle), main);

    // Another process's keys go to the page itself, not to its focus.
    PostMessageA(page, WM_KEYDOWN, VK_RETURN, 1);
    HWND box = WaitForWindow("#32770", "QOR Brackenfield Un-Install Error");
    ASSERT_TRUE(box) << "Enter did not start the run";
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(first.WaitExit(), 0);
}

// The prompt is modal: a thread timer, dispatched by the prompt's own loop,
// plays the keys against whichever prompt is up, then leaves by Exit. A CBT
// hook fails the creation of a window owned by `owner`, up to 3 times.
struct { const char* keys; std::size_t next; bool overran; HWND owner; int blocked; } g_script;

void CALLBACK ScriptTick(HWND, UINT, UINT_PTR, DWORD)
{
    if (HWND prompt = FindWindowA("#32770", kMainTitle)) {
        g_script.overran = !g_script.keys[g_script.next];
        char key = g_script.overran ? 'X' : g_script.keys[g_script.next++];
        PostDialogKey(prompt, key, key == 'R' ? IDC_RESTART : IDC_EXIT);
    }
}

LRESULT CALLBACK BlockPrompt(int code, WPARAM wParam, LPARAM lParam)
{
    auto* create = reinterpret_cast<CBT_CREATEWNDA*>(lParam);
    bool block = code == HCBT_CREATEWND && g_script.blocked < 3 &&
                 create->lpcs->hwndParent == g_script.owner;
    return block ? (++g_script.blocked, 1) : CallNextHookEx(nullptr, code, wParam, lParam);
}

// Restart writes the batch once however often the reboot is refused, and
// every request finds the privilege enabled; Exit, and a prompt that cannot
// be shown, end with message 1054 and the main window gone; keys other than
// Enter do nothing on the prompt.
TEST(Finish, RestartLoop)
{
    g_instance = GetModuleHandleA(nullptr);
    lstrcpynA(g_config.MainTitle, kMainTitle, sizeof g_config.MainTitle);
    lstrcpynA(g_config.WarningCaption, kWarning, sizeof g_config.WarningCaption);
    HWND owner = nullptr;
    const struct {
        const char *name, *keys; std::vector<bool> answers;
        int batches, reboots; bool exited, blocked;
    } rows[] = {
        {"Escape and Alt+F4 ignored; Enter is Restart", "SFE", {true}, 1, 1, false, false},
        {"refused twice, then Exit", "ERX", {false, false}, 1, 2, true, false},
        {"prompt cannot be shown", "", {}, 0, 0, true, true},  // asked again, the 4th would overrun
    };
    for (const auto& row : rows) {
        g_rec = Record();
        g_rec.answers = row.answers;
        DisableShutdownPrivilege();
        ASSERT_FALSE(DisableShutdownPrivilege());
        // Hidden: without a window manager Wine waits two seconds for every
        // visible window it manages to be withdrawn, an owner of dialogs included.
        if (!IsWindow(owner))
            owner = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 8, 8, nullptr, nullptr,
                                    g_instance, nullptr);
        g_script = {row.keys, 0, false, owner, 0};
        DWORD thread = GetCurrentThreadId();
        HHOOK hook = row.blocked ? SetWindowsHookExA(WH_CBT, BlockPrompt, 0, thread) : nullptr;
        UINT_PTR timer = SetTimer(nullptr, 0, 150, ScriptTick);
        RunRestartPromptLoop(owner);
        KillTimer(nullptr, timer);
        UnhookWindowsHookEx(hook);  // null: nothing to undo
        std::vector<Box> boxes;
        if (row.exited)
            boxes.emplace_back("You should manually remove the remained files from the installed "
                               "directory.", kWarning, 0x1040, owner);
        // Prompts blocked, keys left over or missing, batches, requests, main window gone, boxes.
        EXPECT_EQ(make_tuple(g_script.blocked, g_script.overran, g_script.next, g_rec.batches,
                             g_rec.reboots, !IsWindow(owner), g_rec.boxes),
                  make_tuple(row.blocked ? 1 : 0, false, string(row.keys).size(), row.batches,
                             std::vector<bool>(row.reboots, true), row.exited, boxes)) << row.name;
    }
    DestroyWindow(owner);
}

}  // namespace
