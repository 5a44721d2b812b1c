// The shell under wine: the configuration read, the message helper, and
// QORDELET.EXE itself started as a user would start it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "resource.h"
#include "shell/shell.h"
#include "support/winsupport.h"

using namespace winsupport;

namespace {

struct Box {
    std::string text, caption;
    UINT style;
};
std::vector<Box> g_boxes;

}  // namespace

// This test's own message box, linked in place of the program's.
int ShowMessageBox(HWND, const char* text, const char* caption, UINT style)
{
    g_boxes.push_back({text, caption, style});
    return IDOK;
}

namespace {

std::string SettingsPath()
{
    return WindowsDir() + "\\vorn.ini";
}

class Settings : public ::testing::Test {
protected:
    void SetUp() override
    {
        DeleteFileA(SettingsPath().c_str());
        g_boxes.clear();
        g_instance = GetModuleHandleA(nullptr);
        g_config = ConfigRecord();
    }
    void TearDown() override
    {
        DeleteFileA(SettingsPath().c_str());
    }
    static HWND AnyWindow()
    {
        return CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                               GetModuleHandleA(nullptr), nullptr);
    }
};

// No install directory, or one too long for any path (it could only be read
// cut, and would then name another directory).
TEST_F(Settings, NothingRecordedShowsOneNoticeAndDestroysTheWindow)
{
    const std::string files[] = {"", "[APPLICATIONS]\r\nVornDir=\r\n",
                                 "[APPLICATIONS]\r\nVornDir=C:\\" + std::string(300, 'D') + "\r\n"};
    for (const std::string& content : files) {
        g_boxes.clear();
        if (!content.empty()) {
            ASSERT_TRUE(WriteFileText(SettingsPath(), content));
        }
        HWND w = AnyWindow();
        EXPECT_FALSE(LoadConfiguration(w));
        EXPECT_FALSE(IsWindow(w));
        EXPECT_EQ(g_config.NoInformation, 1);
        ASSERT_EQ(g_boxes.size(), 1u);
        EXPECT_EQ(g_boxes[0].text, "Cannot find any information to un-install.");
        EXPECT_EQ(g_boxes[0].caption, "QOR Brackenfield Un-Install Warning");
        EXPECT_EQ(g_boxes[0].style, 4160u);
    }
    // Quit messages posted by the destroyed windows would end later tests.
    MSG msg;
    while (PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
}

TEST_F(Settings, ReadsEveryFieldAndALongInstallDirectoryWhole)
{
    std::string longDir = "C:\\" + std::string(250, 'D');
    ASSERT_TRUE(WriteFileText(SettingsPath(),
                              "[PrinterStyle]\r\nHopperCapacity=50\r\n"
                              "[APPLICATIONS]\r\nVornDir=" + longDir +
                                  "\r\nDefaultDevice=QOR 4400,winspool,LPT1:\r\n"));
    HWND w = AnyWindow();
    ASSERT_TRUE(LoadConfiguration(w));
    EXPECT_TRUE(g_boxes.empty());
    EXPECT_EQ(g_config.PrinterStyle, 50);
    EXPECT_EQ(g_config.InstallDir, longDir);
    EXPECT_STREQ(g_config.DefaultDevice, "QOR 4400,winspool,LPT1:");
    EXPECT_STREQ(g_config.MainTitle, "QOR Brackenfield Un-Install");
    EXPECT_STREQ(g_config.ErrorCaption, "QOR Brackenfield Un-Install Error");
    EXPECT_STREQ(g_config.WarningCaption, "QOR Brackenfield Un-Install Warning");
    EXPECT_EQ(WindowsDir(), g_config.WindowsDir);
    DestroyWindow(w);
}

TEST_F(Settings, ShowMessageIsBoundedAndPassesTheLowWordOfTheStyle)
{
    std::string huge(5000, 'p');
    ShowMessage(g_instance, nullptr, IDS_LOG_NOT_LOADABLE, "caption", 0xABCD1040, huge.c_str(),
                kProductWord);
    ASSERT_EQ(g_boxes.size(), 1u);
    EXPECT_EQ(g_boxes[0].style, 0x1040u);
    EXPECT_LE(g_boxes[0].text.size(), 511u);
    EXPECT_EQ(g_boxes[0].text.compare(0, 8, "The pppp"), 0);

    g_boxes.clear();
    ShowMessage(g_instance, nullptr, IDS_LOG_NOT_LOADABLE, "caption", kMessageStyle,
                "C:\\QOR\\QVSETUP.INF", kProductWord);
    ASSERT_EQ(g_boxes.size(), 1u);
    EXPECT_EQ(g_boxes[0].text,
              "The C:\\QOR\\QVSETUP.INF file cannot be loaded onto your system.\n"
              "Brackenfield cannot be un-installed on your system.");
}

// QORDELET.EXE as a process.
class Program : public ::testing::Test {
protected:
    void SetUp() override { DeleteFileA(SettingsPath().c_str()); }
    void TearDown() override { DeleteFileA(SettingsPath().c_str()); }
    static std::string Command(const char* tail)
    {
        return "\"" + BinDir() + "QORDELET.EXE\"" + (tail ? std::string(" ") + tail : "");
    }
};

struct BoxSearch {
    DWORD pid;
    std::vector<HWND> boxes;
};

BOOL CALLBACK CollectBoxes(HWND w, LPARAM lParam)
{
    auto* search = reinterpret_cast<BoxSearch*>(lParam);
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    char cls[64];
    GetClassNameA(w, cls, sizeof cls);
    if (pid == search->pid && lstrcmpA(cls, "#32770") == 0 && IsWindowVisible(w))
        search->boxes.push_back(w);
    return TRUE;
}

std::vector<HWND> BoxesOf(const Process& p)
{
    BoxSearch search{p.info.dwProcessId, {}};
    EnumWindows(CollectBoxes, reinterpret_cast<LPARAM>(&search));
    return search.boxes;
}

TEST_F(Program, NothingToUninstallSaysSoOnceAndExitsWithZero)
{
    const char* tails[] = {nullptr, "External"};
    for (const char* tail : tails) {
        Process p(Command(tail));
        ASSERT_TRUE(p.started);
        HWND box = WaitForWindow("#32770", "QOR Brackenfield Un-Install Warning");
        ASSERT_TRUE(box) << (tail ? tail : "(no tail)");
        PumpFor(500);
        EXPECT_EQ(BoxesOf(p).size(), 1u);
        char text[512];
        GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
        EXPECT_STREQ(text, "Cannot find any information to un-install.");
        PostMessageA(box, WM_COMMAND, IDOK, 0);
        EXPECT_EQ(p.WaitExit(), 0);
        EXPECT_FALSE(FindWindowA(kMainClass, nullptr));
    }
}

TEST_F(Program, BackdropCoversTheScreenAndASecondStartLeavesAtOnce)
{
    ASSERT_TRUE(WriteFileText(SettingsPath(), "[APPLICATIONS]\r\nVornDir=C:\\QORTEST\r\n"));
    Process first(Command(nullptr));
    HWND main = WaitForWindow(kMainClass, kMainTitle);
    ASSERT_TRUE(main);
    PumpFor(700);

    RECT r;
    GetWindowRect(main, &r);
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.top, 0);
    EXPECT_EQ(r.right, GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(r.bottom, GetSystemMetrics(SM_CYSCREEN));

    // Left edge: no page covers it.
    EXPECT_EQ(ScreenPixel(2, 0), RGB(0, 0, 255));
    EXPECT_EQ(ScreenPixel(2, 3), RGB(0, 0, 255));
    EXPECT_EQ(ScreenPixel(2, 4), RGB(0, 0, 253));
    EXPECT_EQ(ScreenPixel(2, 508), RGB(0, 0, 1));
    EXPECT_EQ(ScreenPixel(2, 511), RGB(0, 0, 1));
    EXPECT_EQ(ScreenPixel(2, 512), RGB(0, 0, 0));
    EXPECT_EQ(ScreenPixel(2, GetSystemMetrics(SM_CYSCREEN) - 1), RGB(0, 0, 0));

    Process second(Command(nullptr));
    EXPECT_EQ(second.WaitExit(5000), 0);
    EXPECT_TRUE(first.Running());
    EXPECT_EQ(FindWindowA(kMainClass, kMainTitle), main);

    // The close command goes to default processing: the program ends with 0.
    PostMessageA(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(first.WaitExit(), 0);
}

}  // namespace

namespace {

int g_dispatched;

LRESULT CALLBACK CountingProc(HWND w, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_USER + 7)
        ++g_dispatched;
    return DefWindowProcA(w, message, wParam, lParam);
}

HWND CountingWindow()
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = CountingProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "QorPumpProbe";
    RegisterClassA(&wc);
    return CreateWindowExA(0, "QorPumpProbe", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                           GetModuleHandleA(nullptr), nullptr);
}

TEST(Pumps, DelayPumpingWaitsAndDispatchesMeanwhile)
{
    HWND w = CountingWindow();
    g_dispatched = 0;
    PostMessageA(w, WM_USER + 7, 0, 0);
    DWORD start = GetTickCount();
    DelayPumping(300);
    DWORD elapsed = GetTickCount() - start;
    EXPECT_GE(elapsed, 300u);
    EXPECT_LT(elapsed, 3000u);
    EXPECT_EQ(g_dispatched, 1);
    DestroyWindow(w);
}

// Closing the backdrop while the removal pumps messages: the quit message is
// taken by the pump, and must still end the program afterwards.
TEST(Pumps, AQuitTakenByTheDrainIsKeptForTheMessageLoop)
{
    int code = -1;
    EXPECT_FALSE(QuitPending(&code));
    HWND w = CountingWindow();
    g_dispatched = 0;
    PostQuitMessage(0);
    PostMessageA(w, WM_USER + 7, 0, 0);
    DrainMessages();
    EXPECT_EQ(g_dispatched, 1);  // the drain went on after the quit
    EXPECT_TRUE(QuitPending(&code));
    EXPECT_EQ(code, 0);
    DestroyWindow(w);
}

}  // namespace
