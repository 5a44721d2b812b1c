// Component shutdown against components_double.exe: who is asked what, in
// which order, and which of them the uninstaller waits for.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/components.h"
#include "components/testfiles.h"
#include "support/winsupport.h"

using namespace testfiles;
using namespace winsupport;

namespace {

const char* const kClasses[] = {"QVTPClass",  "WinPCLClass", "SpoolerClass", "PRINTERSTATUSBOX",
                                "PanelClass", "Font Monitor"};

void ExpectNoComponentWindow()
{
    for (const char* name : kClasses)
        EXPECT_EQ(FindWindowA(name, nullptr), nullptr) << name;
}

struct ShutdownCase {
    const char* arguments;
    std::vector<const char*> running;  // classes to wait for before the call
    std::vector<std::string> log;
    const char* stays;  // the class whose window is still there afterwards
    DWORD atLeastMs;    // how long the waits must have taken
};

// How long one component may take; after it the removal goes on.
constexpr DWORD kComponentTimeout = 30000;

const ShutdownCase kCases[] = {
    {"all winpcl:ignore1",
     {"QVTPClass", "WinPCLClass", "SpoolerClass", "PRINTERSTATUSBOX", "PanelClass", "Font Monitor"},
     {"QVTPClass WM_CLOSE", "QVTPClass gone", "WinPCLClass 8735 7711 1", "SpoolerClass 8735 7711 0",
      "SpoolerClass gone", "WinPCLClass 8735 7711 0", "WinPCLClass gone",
      "PRINTERSTATUSBOX WM_DESTROY", "PRINTERSTATUSBOX gone", "PanelClass 8735 7711 0",
      "PanelClass gone", "Font Monitor 8735 7711 0", "Font Monitor gone"},
     nullptr, 0},
    // Closing on the first request: the second finds nothing to ask.
    {"winpcl", {"WinPCLClass"}, {"WinPCLClass 8735 7711 1", "WinPCLClass gone"}, nullptr, 0},
    // Each waited-for component takes its time; the next one is asked only
    // after it has gone. The font monitor is told but not waited for.
    {"qvtp:delay spooler:delay statusbox:delay panel:delay fontmon:never",
     {"QVTPClass", "SpoolerClass", "PRINTERSTATUSBOX", "PanelClass", "Font Monitor"},
     {"QVTPClass WM_CLOSE", "QVTPClass gone", "SpoolerClass 8735 7711 0", "SpoolerClass gone",
      "PRINTERSTATUSBOX WM_DESTROY", "PRINTERSTATUSBOX gone", "PanelClass 8735 7711 0",
      "PanelClass gone", "Font Monitor 8735 7711 0"},
     "Font Monitor", 4 * 450},
    // One that never closes is waited for as long as a component may take.
    {"spooler:never", {"SpoolerClass"}, {"SpoolerClass 8735 7711 0"}, "SpoolerClass", kComponentTimeout},
};

// Processor time this process has used, in milliseconds.
DWORD ProcessorMs()
{
    FILETIME created, exited, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    ULONGLONG total = (static_cast<ULONGLONG>(kernel.dwHighDateTime) << 32 | kernel.dwLowDateTime) +
                      (static_cast<ULONGLONG>(user.dwHighDateTime) << 32 | user.dwLowDateTime);
    return static_cast<DWORD>(total / 10000);
}

TEST(CloseRunningComponents, NoneRunningReturnsAtOnce)
{
    ExpectNoComponentWindow();
    DWORD start = GetTickCount();
    CloseRunningComponents();
    EXPECT_LT(GetTickCount() - start, 1000u);
}

TEST(CloseRunningComponents, AsksEachInOrderAndWaitsForThoseThatMustGo)
{
    std::string log = TempFile("qor_components.log");
    for (size_t i = 0; i < std::size(kCases); ++i) {
        const ShutdownCase& c = kCases[i];
        SCOPED_TRACE(c.arguments);
        ExpectNoComponentWindow();
        DeleteFileA(log.c_str());
        Process components("\"" + BinDir() + "components_double.exe\" /log \"" + log + "\" " +
                           c.arguments);
        ASSERT_TRUE(components.started);
        for (const char* name : c.running)
            ASSERT_NE(WaitForWindow(name, nullptr), nullptr) << name;

        DWORD start = GetTickCount(), processor = ProcessorMs();
        CloseRunningComponents();
        DWORD took = GetTickCount() - start;

        EXPECT_EQ(Lines(log), c.log);
        EXPECT_GE(took, c.atLeastMs);
        EXPECT_LT(took, c.atLeastMs + 5000);
        // The waits sleep between their looks.
        EXPECT_LT(ProcessorMs() - processor, 1000 + took / 10);
        if (c.stays) {
            EXPECT_NE(FindWindowA(c.stays, nullptr), nullptr);
            TerminateProcess(components.info.hProcess, 0);
        }
        EXPECT_NE(components.WaitExit(), -1);
    }
    DeleteFileA(log.c_str());
}

}  // namespace
