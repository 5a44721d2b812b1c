// Printer removal: the package's three printers and, for each printer that
// could be opened, its driver of the same name.
#include <windows.h>
#include <winspool.h>

#include "base/base.h"
#include "engine/engine.h"

namespace {

// Printer and driver carry the same name; deleted in this order.
const char* const kPackagePrinters[] = {
    "QOR Brackenfield Model 2890 GDI",
    "QOR Brackenfield 4400",
    "QOR 4400 Brackenfield PS2",
};

// A refused deletion in the log, with the spooler's error code. The code is
// cleared before each call: a call that fails without setting one (Wine's
// spooler, for a driver it does not hold in the caller's environment) would
// otherwise be reported with an earlier call's code or as "error 0", which
// reads as success. Such a failure is said in words.
void LogRefusal(const char* kept, const char* name)
{
    DWORD error = GetLastError();
    if (error != ERROR_SUCCESS)
        LogAction("%s (the spooler refused, error %d): %s", kept, static_cast<int>(error), name);
    else
        LogAction("%s (the spooler refused and gave no reason): %s", kept, name);
}

}  // namespace

int RemovePrinters()
{
    int found = 0;
    for (const char* name : kPackagePrinters) {
        // NT opens a printer for use only unless asked for more, and then
        // refuses to delete it: ask for administration rights.
        PRINTER_DEFAULTSA access = {nullptr, nullptr, PRINTER_ALL_ACCESS};
        HANDLE printer = nullptr;
        // A driver is deleted only together with its printer: a driver
        // without the package's printer may serve another printer.
        // One that is already gone is no failure.
        if (!OpenPrinterA(const_cast<char*>(name), &printer, &access)) {
            LogAction("Printer not there: %s", name);
            continue;
        }
        ++found;
        SetLastError(ERROR_SUCCESS);
        if (DeletePrinter(printer))
            LogAction("Printer deleted: %s", name);
        else
            LogRefusal("Printer kept", name);
        ClosePrinter(printer);
        SetLastError(ERROR_SUCCESS);
        if (DeletePrinterDriverA(nullptr, nullptr, const_cast<char*>(name)))
            LogAction("Printer driver deleted: %s", name);
        else
            LogRefusal("Printer driver kept", name);
    }
    return found;
}
