// Printer removal against Wine's spooler: the package's printers and their
// drivers go, everything else of the user stays.
#include <gtest/gtest.h>

#include <windows.h>
#include <winspool.h>

#include <string>
#include <vector>

#include "engine/components.h"

namespace {

const char* const kGdi = "QOR Brackenfield Model 2890 GDI";
const char* const kPcl = "QOR Brackenfield 4400";
const char* const kPostScript = "QOR 4400 Brackenfield PS2";
const char* const kUnrelated = "Office Laser Q";

bool AddDriver(const char* name)
{
    DRIVER_INFO_3A info = {};
    info.cVersion = 3;
    info.pName = const_cast<char*>(name);
    info.pDriverPath = const_cast<char*>("wineps.drv");
    info.pDataFile = const_cast<char*>("generic.ppd");
    info.pConfigFile = const_cast<char*>("wineps.drv");
    return AddPrinterDriverA(nullptr, 3, reinterpret_cast<BYTE*>(&info)) != 0;
}

bool AddPrinterNamed(const char* name)
{
    PRINTER_INFO_2A info = {};
    info.pPrinterName = const_cast<char*>(name);
    info.pPortName = const_cast<char*>("LPT1:");
    info.pDriverName = const_cast<char*>(name);
    info.pPrintProcessor = const_cast<char*>("wineps");
    info.pDatatype = const_cast<char*>("RAW");
    HANDLE printer = AddPrinterA(nullptr, 2, reinterpret_cast<BYTE*>(&info));
    if (!printer)
        return false;
    ClosePrinter(printer);
    return true;
}

bool PrinterExists(const char* name)
{
    HANDLE printer;
    if (!OpenPrinterA(const_cast<char*>(name), &printer, nullptr))
        return false;
    ClosePrinter(printer);
    return true;
}

bool DriverExists(const char* name)
{
    DWORD needed = 0, count = 0;
    EnumPrinterDriversA(nullptr, nullptr, 1, nullptr, 0, &needed, &count);
    std::vector<BYTE> buffer(needed + 1);
    if (!EnumPrinterDriversA(nullptr, nullptr, 1, buffer.data(), needed, &needed, &count))
        return false;
    auto* drivers = reinterpret_cast<DRIVER_INFO_1A*>(buffer.data());
    for (DWORD i = 0; i < count; ++i)
        if (lstrcmpiA(drivers[i].pName, name) == 0)
            return true;
    return false;
}

// Sets up printers and drivers and takes all of them down again afterwards,
// with the default printer the test found.
class Printers : public ::testing::Test {
protected:
    void SetUp() override
    {
        GetProfileStringA("windows", "device", "", savedDevice_, sizeof savedDevice_);
    }
    void TearDown() override
    {
        for (const char* name : {kGdi, kPcl, kPostScript, kUnrelated}) {
            PRINTER_DEFAULTSA all = {nullptr, nullptr, PRINTER_ALL_ACCESS};
            HANDLE printer;
            if (OpenPrinterA(const_cast<char*>(name), &printer, &all)) {
                DeletePrinter(printer);
                ClosePrinter(printer);
            }
            DeletePrinterDriverA(nullptr, nullptr, const_cast<char*>(name));
        }
        WriteProfileStringA("windows", "device", savedDevice_[0] ? savedDevice_ : nullptr);
    }
    void Install(const char* name, bool withPrinter)
    {
        ASSERT_TRUE(AddDriver(name)) << name << " error " << GetLastError();
        if (withPrinter) {
            ASSERT_TRUE(AddPrinterNamed(name)) << name << " error " << GetLastError();
        }
    }
    char savedDevice_[256] = "";
};

TEST_F(Printers, RemovesThePackagesPrintersAndDriversOnly)
{
    for (const char* name : {kGdi, kPcl, kPostScript, kUnrelated})
        Install(name, true);

    RemovePrinters();

    for (const char* name : {kGdi, kPcl, kPostScript}) {
        EXPECT_FALSE(PrinterExists(name)) << name;
        EXPECT_FALSE(DriverExists(name)) << name;
    }
    EXPECT_TRUE(PrinterExists(kUnrelated));
    EXPECT_TRUE(DriverExists(kUnrelated));
}

TEST_F(Printers, KeepsADriverWhosePrinterIsMissing)
{
    Install(kGdi, true);
    Install(kPostScript, false);

    RemovePrinters();

    EXPECT_FALSE(PrinterExists(kGdi));
    EXPECT_FALSE(DriverExists(kGdi));
    EXPECT_TRUE(DriverExists(kPostScript));
}

}  // namespace
