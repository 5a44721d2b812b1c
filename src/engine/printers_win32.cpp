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
        if (DeletePrinter(printer))
            LogAction("Printer deleted: %s", name);
        else
            LogAction("Printer kept (the spooler refused, error %d): %s",
                      static_cast<int>(GetLastError()), name);
        ClosePrinter(printer);
        if (DeletePrinterDriverA(nullptr, nullptr, const_cast<char*>(name)))
            LogAction("Printer driver deleted: %s", name);
        else
            LogAction("Printer driver kept (error %d): %s", static_cast<int>(GetLastError()), name);
    }
    return found;
}
