// The ground floor under wine: the configuration read and the message
// helper. The pumps are shown at work by the removal's pauses in
// sequence_win32_test (a timer that fires during them) and by
// tests/e2e/close_during_removal.sh (a quit they take).
#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "base/base.h"
#include "resource.h"
#include "support/winsupport.h"

using namespace winsupport;

static std::string g_boxes;  // every box shown, as "caption: text (style)\n"

// This test's own message box, linked in place of the program's.
int ShowMessageBox(HWND, const char* text, const char* caption, UINT style)
{
    g_boxes += std::string(caption) + ": " + text + " (" + std::to_string(style) + ")\n";
    return IDOK;
}

namespace {

const std::string kSettings = WindowsDir() + "\\vorn.ini";
const char kWarning[] = "QOR Brackenfield Un-Install Warning";
const char kNothing[] = "Cannot find any information to un-install.";

// Each vorn.ini (none when empty) read for a fresh window. An install
// directory too long for any path could only be read cut, and would then name
// another directory: that is nothing recorded, as none is. The captions are
// checked where the program shows them, below.
TEST(Configuration, EachSettingsFileAndTheMessageHelper)
{
    const std::string dir = "[APPLICATIONS]\r\nVornDir=", longDir = "C:\\" + std::string(250, 'D');
    const std::string nothing = std::string(kWarning) + ": " + kNothing + " (4160)\n";
    const struct {
        std::string settings, boxes, installDir, device;
        int printerStyle;
    } rows[] = {
        {"", nothing, "", "", 0},
        {dir + "C:\\" + std::string(300, 'D'), nothing, "", "", 0},
        {"[PrinterStyle]\r\nHopperCapacity=50\r\n" + dir + longDir +
             "\r\nDefaultDevice=QOR 4400,winspool,LPT1:\r\n",
         "", longDir, "QOR 4400,winspool,LPT1:", 50},
    };
    g_instance = GetModuleHandleA(nullptr);
    for (const auto& r : rows) {
        DeleteFileA(kSettings.c_str());
        ASSERT_TRUE(r.settings.empty() || WriteFileText(kSettings, r.settings));
        g_boxes.clear();
        g_config = ConfigRecord();
        HWND w = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                 g_instance, nullptr);
        bool loaded = LoadConfiguration(w), kept = IsWindow(w) != 0, ok = r.boxes.empty();
        DeleteFileA(kSettings.c_str());
        // Loaded, window kept, no-information flag, boxes, directory, device, hopper capacity.
        EXPECT_EQ(std::make_tuple(loaded, kept, g_config.NoInformation, g_boxes,
                                  std::string(g_config.InstallDir), std::string(g_config.DefaultDevice),
                                  g_config.PrinterStyle),
                  std::make_tuple(ok, ok, ok ? 0 : 1, r.boxes, r.installDir, r.device, r.printerStyle))
            << r.settings;
        DestroyWindow(w);
    }

    // The text is bounded (511 characters) and only the style's low word goes on.
    g_boxes.clear();
    ShowMessage(g_instance, nullptr, IDS_LOG_NOT_LOADABLE, "c", 0xABCD1040,
                std::string(5000, 'p').c_str(), kProductWord);
    EXPECT_EQ(g_boxes.substr(0, 11), "c: The pppp");
    EXPECT_EQ(g_boxes.substr(g_boxes.size() - 8), " (4160)\n");
    EXPECT_LE(g_boxes.size(), 3 + 511 + 8u);
}

}  // namespace
