// GAUGE32.DLL under wine: loading it registers the class "Percent" and
// freeing it takes the class away; the control keeps its range and position,
// takes its colours from its parent and paints the whole of itself.
#include <gtest/gtest.h>

#include <climits>

#include "gauge/gauge.h"
#include "support/winsupport.h"
#include "wizard/shots.h"

using namespace winsupport;

namespace {

constexpr COLORREF kBar = RGB(255, 0, 0), kRest = RGB(255, 255, 0), kParent = RGB(0, 128, 0);

LRESULT CALLBACK ParentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message != kGaugeColours)
        return DefWindowProcA(window, message, wParam, lParam);
    SetTextColor(reinterpret_cast<HDC>(wParam), kBar);
    SetBkColor(reinterpret_cast<HDC>(wParam), kRest);
    return 0;
}

// Rows in turn on one control, as the removal sends them: position (unless
// INT_MIN) first, then range. The bar's row y = 2 (above the figure) must be
// `filled` pixels of kBar then kRest, and no pixel of the control is left
// in the parent's colour. The arithmetic's corners are in meter_test.cpp; these rows change
// what shows, so each must be painted again.
TEST(Gauge, ClassComesAndGoesWithTheLibraryAndDrawsWhatItIsSent)
{
    HINSTANCE self = GetModuleHandleA(nullptr);
    WNDCLASSA percent;  // a global class is found whatever module asks
    ASSERT_FALSE(GetClassInfoA(self, kGaugeClass, &percent));
    HMODULE library = LoadLibraryA((BinDir() + "GAUGE32.DLL").c_str());
    ASSERT_TRUE(library && GetClassInfoA(self, kGaugeClass, &percent));
    WNDCLASSA wc = {0, ParentProc, 0, 0, self, nullptr, nullptr, CreateSolidBrush(kParent), nullptr,
                    "GaugeTestParent"};
    RegisterClassA(&wc);
    HWND parent = CreateWindowExA(WS_EX_TOPMOST, wc.lpszClassName, "", WS_POPUP | WS_VISIBLE, 100,
                                  100, 260, 80, nullptr, nullptr, self, nullptr);
    HWND gauge = CreateWindowExA(0, kGaugeClass, "", WS_CHILD | WS_VISIBLE, 30, 25, 200, 30, parent,
                                 nullptr, self, nullptr);
    ASSERT_TRUE(parent && gauge);
    const struct { const char* name; int range, position, filled; } rows[] = {
        {"reset: range 0", 0, 0, 0}, {"half", 4, 2, 100}, {"range changed, position kept", 8, INT_MIN, 50},
        {"done", 10, 10, 200}, {"negative position", 4, -1, 0},
    };
    for (const auto& row : rows) {
        if (row.position != INT_MIN)
            SendMessageA(gauge, kGaugeSetPosition, static_cast<WPARAM>(row.position), 0);
        SendMessageA(gauge, kGaugeSetRange, static_cast<WPARAM>(row.range), 0);
        UpdateWindow(parent);
        PumpFor(150);
        shots::Shot shot = shots::Capture(gauge);
        ASSERT_EQ(shot.px.size(), 200u * 30) << row.name;
        int wrongBar = 0;
        for (int x = 0; x < 200; ++x)
            wrongBar += shot.At(x, 2) != (x < row.filled ? kBar : kRest);
        EXPECT_EQ(wrongBar, 0) << row.name;
        EXPECT_EQ(shot.Count(kParent), 0) << row.name << ": not all painted";
    }
    DestroyWindow(parent);
    FreeLibrary(library);
    // Loaded again after this, a stale class would point at freed code.
    EXPECT_FALSE(GetClassInfoA(self, kGaugeClass, &percent));
}

}  // namespace
