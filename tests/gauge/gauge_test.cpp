// GAUGE32.DLL under wine: loading it registers the global class "Percent" and
// freeing it takes the class away; the control keeps its range and position,
// takes its colours from its parent and never draws outside itself.
#include <gtest/gtest.h>

#include <climits>

#include "gauge/gauge.h"
#include "support/winsupport.h"
#include "wizard/shots.h"

using namespace winsupport;

namespace {

constexpr COLORREF kBar = RGB(255, 0, 0), kRest = RGB(255, 255, 0), kParent = RGB(0, 128, 0);
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

TEST(GaugeLibrary, LoadingRegistersAGlobalClassAndFreeingRemovesIt)
{
    WNDCLASSA wc;  // a global class is found whatever module asks
    ASSERT_FALSE(GetClassInfoA(GetModuleHandleA(nullptr), kGaugeClass, &wc));
    for (int round = 0; round < 2; ++round) {
        HMODULE library = LoadLibraryA((BinDir() + "GAUGE32.DLL").c_str());
        ASSERT_TRUE(library) << round;
        ASSERT_TRUE(GetClassInfoA(GetModuleHandleA(nullptr), kGaugeClass, &wc)) << round;
        EXPECT_TRUE(wc.style & CS_GLOBALCLASS) << round;
        FreeLibrary(library);
        // Loaded again after this, a stale class would point at freed code.
        EXPECT_FALSE(GetClassInfoA(GetModuleHandleA(nullptr), kGaugeClass, &wc)) << round;
    }
}

// Rows in turn on one control, as the removal sends them: position (unless
// INT_MIN) first, then range. The bar's row y = 2 (above the figure) must be
// `filled` pixels of kBar then kRest; every pixel of the control is painted
// in those, none in a margin of 4 pixels around it.
TEST(Gauge, DrawsWhatItIsSentAndNothingOutside)
{
    HMODULE library = LoadLibraryA((BinDir() + "GAUGE32.DLL").c_str());
    HINSTANCE self = GetModuleHandleA(nullptr);
    WNDCLASSA wc = {0, ParentProc, 0, 0, self, nullptr, nullptr, CreateSolidBrush(kParent), nullptr,
                    "GaugeTestParent"};
    RegisterClassA(&wc);
    HWND parent = CreateWindowExA(WS_EX_TOPMOST, wc.lpszClassName, "", WS_POPUP | WS_VISIBLE, 100,
                                  100, 260, 80, nullptr, nullptr, self, nullptr);
    HWND gauge = CreateWindowExA(0, kGaugeClass, "", WS_CHILD | WS_VISIBLE, 30, 25, 200, 30, parent,
                                 nullptr, self, nullptr);
    ASSERT_TRUE(library && parent && gauge);
    const struct { const char* name; int range, position, filled; } rows[] = {
        {"reset: range 0", 0, 0, 0}, {"no directories: range -2, position 1", -2, 1, 0},
        {"one directory: range -1, position 1", -1, 1, 0}, {"half", 4, 2, 100},
        {"range changed, position kept", 8, INT_MIN, 50}, {"done", 10, 10, 200},
        {"past the range", 4, 9, 200}, {"negative position", 4, -1, 0},
    };
    for (const auto& row : rows) {
        if (row.position != INT_MIN)
            SendMessageA(gauge, kGaugeSetPosition, static_cast<WPARAM>(row.position), 0);
        SendMessageA(gauge, kGaugeSetRange, static_cast<WPARAM>(row.range), 0);
        UpdateWindow(parent);
        PumpFor(150);
        shots::Shot shot = shots::Capture(gauge, 4);
        ASSERT_EQ(shot.width, 208) << row.name;
        int wrongBar = 0;
        for (int x = 0; x < 200; ++x)
            wrongBar += shot.At(x + 4, 4 + 2) != (x < row.filled ? kBar : kRest);
        EXPECT_EQ(wrongBar, 0) << row.name;
        EXPECT_EQ(shot.px.size() - shot.Count(kParent), 200u * 30) << row.name << ": painted";
    }
    EXPECT_GT(g_colourRequests, 0);
    DestroyWindow(parent);
    FreeLibrary(library);
}

}  // namespace
