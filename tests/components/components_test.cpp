// The package's neighbours under wine: component shutdown against
// components_double.exe (who is asked what, in which order, and who is waited
// for) and printer removal against Wine's spooler. The Plug and Play key's
// tree, with its sibling, is checked by tests/e2e/normal.sh.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/base.h"
#include "engine/engine.h"
#include "support/winsupport.h"

using namespace winsupport;

namespace {

// Processor time this process has used, in milliseconds.
DWORD ProcessorMs()
{
    FILETIME created, exited, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    ULARGE_INTEGER k = {{kernel.dwLowDateTime, kernel.dwHighDateTime}},
                   u = {{user.dwLowDateTime, user.dwHighDateTime}};
    return static_cast<DWORD>((k.QuadPart + u.QuadPart) / 10000);
}

TEST(CloseRunningComponents, AsksEachInOrderAndWaitsForThoseThatMustGo)
{
    const struct {
        const char* arguments;
        std::vector<std::string> log;
        DWORD atLeastMs, belowMs;  // how long the waits must have taken
    } cases[] = {
        {"all winpcl:ignore1",
         {"QVTPClass WM_CLOSE", "QVTPClass gone", "WinPCLClass 8735 7711 1",
          "SpoolerClass 8735 7711 0", "SpoolerClass gone", "WinPCLClass 8735 7711 0",
          "WinPCLClass gone", "PRINTERSTATUSBOX WM_DESTROY", "PRINTERSTATUSBOX gone",
          "PanelClass 8735 7711 0", "PanelClass gone", "Font Monitor 8735 7711 0",
          "Font Monitor gone"},
         0, 5000},
        // Each waited-for component takes its time; the next one is asked only
        // after it has gone. The font monitor is told but not waited for. The
        // PCL program is not running: nothing is waited for when nothing was found.
        {"qvtp:delay spooler:delay statusbox:delay panel:delay fontmon:never",
         {"QVTPClass WM_CLOSE", "QVTPClass gone", "SpoolerClass 8735 7711 0", "SpoolerClass gone",
          "PRINTERSTATUSBOX WM_DESTROY", "PRINTERSTATUSBOX gone", "PanelClass 8735 7711 0",
          "PanelClass gone", "Font Monitor 8735 7711 0"},
         4 * 450, 7000},
        // One that never closes is waited for as long as a component may take.
        {"spooler:never", {"SpoolerClass 8735 7711 0"}, 30000, 35000},
    };
    const std::string log = TempFile("qor_components.log");
    const std::string command = "\"" + BinDir() + "components_double.exe\" /log \"" + log + "\" ";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments);
        DeleteFileA(log.c_str());
        Process components(command + c.arguments);
        ASSERT_EQ(WaitForInputIdle(components.info.hProcess, 10000), 0u);

        DWORD start = GetTickCount(), processor = ProcessorMs();
        CloseRunningComponents();
        DWORD took = GetTickCount() - start;

        EXPECT_EQ(Lines(log), c.log);
        EXPECT_GE(took, c.atLeastMs);
        EXPECT_LT(took, c.belowMs);
        // The waits sleep between their looks.
        EXPECT_LT(ProcessorMs() - processor, 1000 + took / 10);
        // Gone before the next case looks for the same windows.
        TerminateProcess(components.info.hProcess, 0);
        components.WaitExit();
    }
    DeleteFileA(log.c_str());
}

TEST(RemovePrinters, ThePackagesPrintersAndTheirDriversGoAndNothingElse)
{
    const char* const names[] = {"QOR Brackenfield Model 2890 GDI", "QOR Brackenfield 4400",
                                 "QOR 4400 Brackenfield PS2", "Office Laser Q"};
    // One letter per name: P printer and driver, D the driver alone, O the
    // printer alone, on the user's driver, - neither. A missing printer is
    // passed over; a driver without the package's printer may serve another
    // and stays. A driver that the spooler cannot delete is logged with the
    // spooler's own reason: for one that is not there Windows gives 1797 and
    // Wine's spooler no code at all, which is said in words (never as
    // "error 0" or an earlier call's code). (All three with their drivers,
    // and the user's printer, are in tests/e2e/normal.sh.)
    const char* const notThere[] = {"Printer driver kept (the spooler refused, error 1797): ",
                                    "Printer driver kept (the spooler refused and gave no reason): "};
    const struct {
        const char* before;
        const char* after;
        bool driverRefused;  // the first name's driver line is one of notThere
    } rows[] = {
        {"-PDP", "--DP", false},
        {"O--P", "---P", true},
    };
    const std::string log = TempFile("qor_printers.log");
    char device[256];
    GetProfileStringA("windows", "device", "", device, sizeof device);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.before);
        // The user's printer first: the package's may use its driver.
        for (int i = 3; i >= 0; --i)
            EXPECT_TRUE(row.before[i] == '-' ||
                        AddTestPrinter(names[i], row.before[i] == 'D', row.before[i] == 'O' ? names[3] : nullptr))
                << names[i];
        DeleteFileA(log.c_str());
        ASSERT_TRUE(OpenActionLog(log.c_str()));

        RemovePrinters();

        CloseActionLog();
        std::string driverLine;
        for (const std::string& line : Lines(log))
            if (line.compare(0, 15, "Printer driver ") == 0 && line.find(names[0]) != std::string::npos)
                driverLine = line;
        if (row.driverRefused) {
            EXPECT_TRUE(driverLine == notThere[0] + std::string(names[0]) ||
                        driverLine == notThere[1] + std::string(names[0]))
                << driverLine;
        }
        // What is still there is taken down, and so found.
        for (int i = 0; i < 4; ++i) {
            char* name = const_cast<char*>(names[i]);
            PRINTER_DEFAULTSA all = {nullptr, nullptr, PRINTER_ALL_ACCESS};
            HANDLE printer;
            bool printerLeft = OpenPrinterA(name, &printer, &all) != 0;
            if (printerLeft) {
                DeletePrinter(printer);
                ClosePrinter(printer);
            }
            EXPECT_EQ(printerLeft, row.after[i] == 'P') << name;
            EXPECT_EQ(DeletePrinterDriverA(nullptr, nullptr, name) != 0, row.after[i] == 'P' || row.after[i] == 'D')
                << name;
        }
    }
    DeleteFileA(log.c_str());
    WriteProfileStringA("windows", "device", device[0] ? device : nullptr);
}

}  // namespace
