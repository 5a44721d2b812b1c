// The profile writes of the restore: section deletions, the cache flush and
// the values, on WIN.INI or on the new text that is to take its place.
#include <windows.h>

#include "inirestore/inirestore.h"

bool WriteProfileValue(const char* file, const char* section, const char* key, const char* value)
{
    if (file)
        return WritePrivateProfileStringA(section, key, value, file) != 0;
    return WriteProfileStringA(section, key, value) != 0;
}
