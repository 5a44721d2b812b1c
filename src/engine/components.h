// Talking to the package's other programs and to the system's printer and
// Plug and Play records.
#pragma once

// Asks the package's running programs to close and waits for them.
void CloseRunningComponents();
// Deletes the package's three printers and their drivers.
void RemovePrinters();
// Deletes the printer's Plug and Play key with everything below it.
void RemovePlugAndPlayKey();
