// The shell's pure rules (no Windows calls), shared with the native tests.
#include "shell/rules.h"

#include <cstdio>
#include <cstring>

#include "shell/nocase.h"

bool IsColourDisplay(int numColors)
{
    return numColors > 2 || numColors < 0;
}

PlaceRect ChoosePlacement(bool colour, int horzRes, int vertRes,
                          int left, int top, int right, int bottom)
{
    if (!colour)
        return {left + 110, top, right - left - 200, bottom - top};
    if (horzRes >= 440 && vertRes >= 400)
        return {0, 0, right, bottom};
    return {(right - left - 500) / 2, top, 500, bottom - top};
}

bool IsExternalTail(const char* tail)
{
    return tail != nullptr && CompareNoCase(tail, "External") == 0;
}

int BandBlue(int band)
{
    return 255 - 2 * band;
}

bool JoinPath(char* out, std::size_t size, const char* dir, const char* name)
{
    if (size == 0)
        return false;
    std::size_t len = std::strlen(dir);
    const char* format = (len > 0 && dir[len - 1] == '\\') ? "%s%s" : "%s\\%s";
    int n = std::snprintf(out, size, format, dir, name);
    if (n < 0 || static_cast<std::size_t>(n) >= size) {
        out[0] = '\0';
        return false;
    }
    return true;
}
