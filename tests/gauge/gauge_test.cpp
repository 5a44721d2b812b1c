// GAUGE32.DLL under wine: loading it registers the global class "Percent" and
// freeing it takes the class away; the control keeps its range and position,
// takes its colours from its parent and never draws outside itself, whatever
// range and position it is sent.
#include <gtest/gtest.h>

#include <string>

#include "gauge/gauge.h"
#include "gauge/meter.h"
#include "support/winsupport.h"
#include "wizard/shots.h"

using namespace winsupport;

namespace {

constexpr COLORREF kBar = RGB(255, 0, 0);
constexpr COLORREF kRest = RGB(255, 255, 0);
constexpr COLORREF kParentBackground = RGB(0, 128, 0);
int g_colourRequests;

LRESULT CALLBACK ParentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == kGaugeColours) {
        ++g_colourRequests;
        HDC dc = reinterpret_cast<HDC>(wParam);
        SetTextColor(dc, kBar);
        SetBkColor(dc, kRest);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

std::string LibraryPath()
{
    return BinDir() + "GAUGE32.DLL";
}

bool PercentRegistered(UINT* style)
{
    WNDCLASSA wc;
    // A global class is found whatever module asks.
    if (!GetClassInfoA(GetModuleHandleA(nullptr), kGaugeClass, &wc))
        return false;
    *style = wc.style;
    return true;
}

class Gauge : public ::testing::Test {
protected:
    HMODULE library = nullptr;
    HWND parent = nullptr;
    HWND gauge = nullptr;
    static constexpr int kWidth = 200, kHeight = 30;

    void SetUp() override
    {
        library = LoadLibraryA(LibraryPath().c_str());
        ASSERT_TRUE(library);
        WNDCLASSA wc = {};
        wc.lpfnWndProc = ParentProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.hbrBackground = CreateSolidBrush(kParentBackground);
        wc.lpszClassName = "GaugeTestParent";
        RegisterClassA(&wc);
        parent = CreateWindowExA(WS_EX_TOPMOST, "GaugeTestParent", "", WS_POPUP | WS_VISIBLE, 100,
                                 100, 260, 80, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        ASSERT_TRUE(parent);
        gauge = CreateWindowExA(0, kGaugeClass, "", WS_CHILD | WS_VISIBLE, 30, 25, kWidth, kHeight,
                                parent, reinterpret_cast<HMENU>(100), GetModuleHandleA(nullptr),
                                nullptr);
        ASSERT_TRUE(gauge);
        g_colourRequests = 0;
    }
    void TearDown() override
    {
        if (parent)
            DestroyWindow(parent);
        if (library)
            FreeLibrary(library);
    }

    // As the program sends them: the position first, then the range.
    void Show(int range, int position)
    {
        SendMessageA(gauge, kGaugeSetPosition, static_cast<WPARAM>(position), 0);
        SendMessageA(gauge, kGaugeSetRange, static_cast<WPARAM>(range), 0);
        UpdateWindow(parent);
        PumpFor(150);
    }

    // Checks the row y = 2 of the bar (above the figure) against `filled`,
    // and a 4-pixel margin around the control against the parent's colour.
    void ExpectBar(int filled, const char* name)
    {
        RECT r = shots::ScreenClientRect(gauge);
        RECT around = {r.left - 4, r.top - 4, r.right + 4, r.bottom + 4};
        shots::Shot shot = shots::Capture(around);
        ASSERT_EQ(shot.width, kWidth + 8) << name;
        int wrongBar = 0, outside = 0;
        for (int x = 0; x < kWidth; ++x) {
            COLORREF want = x < filled ? kBar : kRest;
            if (shot.At(x + 4, 4 + 2) != want)
                ++wrongBar;
        }
        for (int y = 0; y < shot.height; ++y)
            for (int x = 0; x < shot.width; ++x) {
                bool inside = x >= 4 && x < 4 + kWidth && y >= 4 && y < 4 + kHeight;
                if (!inside && shot.At(x, y) != kParentBackground)
                    ++outside;
            }
        EXPECT_EQ(wrongBar, 0) << name << ": filled " << filled;
        EXPECT_EQ(outside, 0) << name << ": pixels changed outside the control";
    }
};

TEST(GaugeLibrary, LoadingRegistersAGlobalClassAndFreeingRemovesIt)
{
    UINT style = 0;
    ASSERT_FALSE(PercentRegistered(&style));
    for (int round = 0; round < 2; ++round) {
        HMODULE library = LoadLibraryA(LibraryPath().c_str());
        ASSERT_TRUE(library) << round;
        ASSERT_TRUE(PercentRegistered(&style)) << round;
        EXPECT_TRUE(style & CS_GLOBALCLASS) << round;
        // A control made by another module, as the program's dialog makes it.
        HWND w = CreateWindowExA(0, kGaugeClass, "", WS_POPUP | WS_VISIBLE, 0, 0, 50, 10, nullptr,
                                 nullptr, GetModuleHandleA(nullptr), nullptr);
        ASSERT_TRUE(w) << round;
        UpdateWindow(w);
        DestroyWindow(w);
        FreeLibrary(library);
        // Loaded again after this, a stale class would point at freed code.
        EXPECT_FALSE(PercentRegistered(&style)) << round;
    }
}

TEST_F(Gauge, RangesAndPositionsTheRemovalSends)
{
    struct Row {
        const char* name;
        int range, position;
    } rows[] = {
        {"reset: range 0", 0, 0},
        {"no directories: range -2, position 1", -2, 1},
        {"one directory: range -1, position 1", -1, 1},
        {"half", 4, 2},
        {"a quarter", 8, 2},
        {"done", 10, 10},
        {"past the range", 4, 9},
        {"negative position", 4, -1},
    };
    for (const Row& row : rows) {
        Show(row.range, row.position);
        ExpectBar(ReadGauge(row.range, row.position, kWidth).filled, row.name);
    }
    EXPECT_GT(g_colourRequests, 0);
    shots::SaveIfAsked(shots::CaptureWindow(parent), "gauge");
}

TEST_F(Gauge, KeepsThePositionWhenTheRangeChanges)
{
    Show(4, 2);
    ExpectBar(kWidth / 2, "2 of 4");
    SendMessageA(gauge, kGaugeSetRange, 8, 0);
    UpdateWindow(parent);
    PumpFor(150);
    ExpectBar(kWidth / 4, "range 8, position kept");
}

}  // namespace
