// The Program Manager link: a DDE client window that asks Program Manager to
// delete the package's group.
#pragma once

#include <windows.h>

// Registers the "DDEClient" window class; false when that fails.
bool RegisterDDEClientClass(HINSTANCE instance);

// Asks Program Manager to delete the package's group. 1 when it acknowledged
// the command positively, 0 otherwise.
int DeleteProgmanGroup();
