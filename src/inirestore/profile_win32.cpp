// The profile writes of the restore: section deletions, the cache flush and
// the three values, all on WIN.INI.
#include <windows.h>

#include "inirestore/inirestore.h"

bool WriteProfileValue(const char* section, const char* key, const char* value)
{
    return WriteProfileStringA(section, key, value) != 0;
}
