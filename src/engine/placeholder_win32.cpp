// Placeholder sequence until the engine is built: it removes nothing.
#include "engine/engine.h"

int RunUninstall()
{
    return 1;
}
