// Placeholders until component shutdown and printer removal are built.
#include "engine/components.h"

void CloseRunningComponents()
{
}

void RemovePrinters()
{
}

void RemovePlugAndPlayKey()
{
}
