// GAUGE32.DLL under wine: loading it registers the class "Percent" and
// freeing it takes the class away. How the control draws is shown inside the
// progress dialog by wizard_test's ProgressDialogAndItsGauge.
#include <gtest/gtest.h>

#include "gauge/gauge.h"
#include "support/winsupport.h"

using namespace winsupport;

namespace {

TEST(GaugeLibrary, LoadingRegistersTheClassAndFreeingRemovesIt)
{
    HINSTANCE self = GetModuleHandleA(nullptr);
    WNDCLASSA wc;  // a global class is found whatever module asks
    ASSERT_FALSE(GetClassInfoA(self, kGaugeClass, &wc));
    HMODULE library = LoadLibraryA((BinDir() + "GAUGE32.DLL").c_str());
    ASSERT_TRUE(library);
    EXPECT_TRUE(GetClassInfoA(self, kGaugeClass, &wc));
    FreeLibrary(library);
    // Loaded again after this, a stale class would point at freed code.
    EXPECT_FALSE(GetClassInfoA(self, kGaugeClass, &wc));
}

}  // namespace
