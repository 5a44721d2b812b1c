// The Windows build compares names exactly as the system does.
#include <windows.h>

#include "base/base.h"

int CompareNoCase(const char* a, const char* b)
{
    return lstrcmpiA(a, b);
}
