// GAUGE32.DLL under wine: loading it registers the global class "Percent" and
// freeing it takes the class away; the control keeps its range and position,
// takes its colours from its parent and never draws outside itself.
#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "gauge/gauge.h"
#include "support/winsupport.h"
#include "wizard/shots.h"

using namespace winsupport;

namespace {

constexpr COLORREF kBar = RGB(255, 0, 0), kRest = RGB(255, 255, 0), kParent = RGB(0, 128, 0);
constexpr int kWidth = 200, kHeight = 30, kNotSent = INT_MIN;
int g_colourRequests;

LRESULT CALLBACK ParentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message != kGaugeColours)
        return DefWindowProcA(window, message, wParam, lParam);
    ++g_colourRequests;
    SetTextColor(reinterpret_cast<HDC>(wParam), kBar);
    SetBkColor(reinterpret_cast<HDC>(wParam), kRest);
    return 0;
}

HMODULE LoadGauge() { return LoadLibraryA((BinDir() + "GAUGE32.DLL").c_str()); }

bool PercentRegistered(UINT* style)
{
    WNDCLASSA wc;  // a global class is found whatever module asks
    bool found = GetClassInfoA(GetModuleHandleA(nullptr), kGaugeClass, &wc);
    *style = found ? wc.style : 0;
    return found;
}

TEST(GaugeLibrary, LoadingRegistersAGlobalClassAndFreeingRemovesIt)
{
    UINT style = 0;
    ASSERT_FALSE(PercentRegistered(&style));
    for (int round = 0; round < 2; ++round) {
        HMODULE library = LoadGauge();
        ASSERT_TRUE(library) << round;
        ASSERT_TRUE(PercentRegistered(&style)) << round;
        EXPECT_TRUE(style & CS_GLOBALCLASS) << round;
        // Made by another module, as the program's dialog makes it.
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

// Rows in turn on one control, as the removal sends them: position first,
// then range. The bar's row y = 2 (above the figure) must be `filled` pixels
// of kBar then kRest, and a 4-pixel margin around the control untouched.
TEST(Gauge, DrawsWhatItIsSentAndNothingOutside)
{
    HMODULE library = LoadGauge();
    ASSERT_TRUE(library);
    WNDCLASSA wc = {};
    wc.lpfnWndProc = ParentProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hbrBackground = CreateSolidBrush(kParent);
    wc.lpszClassName = "GaugeTestParent";
    RegisterClassA(&wc);
    HWND parent = CreateWindowExA(WS_EX_TOPMOST, "GaugeTestParent", "", WS_POPUP | WS_VISIBLE,
                                  100, 100, 260, 80, nullptr, nullptr, wc.hInstance, nullptr);
    HWND gauge = CreateWindowExA(0, kGaugeClass, "", WS_CHILD | WS_VISIBLE, 30, 25, kWidth,
                                 kHeight, parent, nullptr, wc.hInstance, nullptr);
    ASSERT_TRUE(parent && gauge);
    struct {
        const char* name;
        int range, position, filled;
    } rows[] = {
        {"reset: range 0", 0, 0, 0},
        {"no directories: range -2, position 1", -2, 1, 0},
        {"one directory: range -1, position 1", -1, 1, 0},
        {"half", 4, 2, 100},
        {"range changed, position kept", 8, kNotSent, 50},
        {"done", 10, 10, kWidth},
        {"past the range", 4, 9, kWidth},
        {"negative position", 4, -1, 0},
    };
    for (const auto& row : rows) {
        if (row.position != kNotSent)
            SendMessageA(gauge, kGaugeSetPosition, static_cast<WPARAM>(row.position), 0);
        SendMessageA(gauge, kGaugeSetRange, static_cast<WPARAM>(row.range), 0);
        UpdateWindow(parent);
        PumpFor(150);
        RECT r = shots::ScreenClientRect(gauge);
        shots::Shot shot = shots::Capture({r.left - 4, r.top - 4, r.right + 4, r.bottom + 4});
        ASSERT_EQ(shot.width, kWidth + 8) << row.name;
        int wrongBar = 0, outside = 0;
        for (int x = 0; x < kWidth; ++x)
            wrongBar += shot.At(x + 4, 4 + 2) != (x < row.filled ? kBar : kRest);
        for (int y = 0; y < shot.height; ++y)
            for (int x = 0; x < shot.width; ++x) {
                bool inside = x >= 4 && x < 4 + kWidth && y >= 4 && y < 4 + kHeight;
                outside += !inside && shot.At(x, y) != kParent;
            }
        EXPECT_EQ(wrongBar, 0) << row.name;
        EXPECT_EQ(outside, 0) << row.name << ": pixels changed outside the control";
    }
    EXPECT_GT(g_colourRequests, 0);
    DestroyWindow(parent);
    FreeLibrary(library);
}

}  // namespace
