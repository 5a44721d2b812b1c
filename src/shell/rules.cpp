// The shell's pure rules (no Windows calls), shared with the native tests.
#include "shell/rules.h"

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
    return FormatText(out, size, format, dir, name) >= 0;
}

int FormatTextV(char* out, std::size_t size, const char* format, va_list args)
{
    std::size_t n = 0;
    bool fits = size > 0;
    auto put = [&](char c) {
        if (n + 1 < size)
            out[n++] = c;
        else
            fits = false;
    };
    for (const char* f = format; *f && fits; ++f) {
        if (*f != '%') {
            put(*f);
            continue;
        }
        ++f;
        if (*f == '\0') {
            fits = false;  // a lone "%" at the end
            break;
        }
        if (*f == 's') {
            for (const char* s = va_arg(args, const char*); *s; ++s)
                put(*s);
        } else if (*f == 'd') {
            int value = va_arg(args, int);
            // The magnitude as unsigned: -INT_MIN does not fit an int.
            unsigned magnitude = value < 0 ? 0u - static_cast<unsigned>(value) : static_cast<unsigned>(value);
            char digits[12];
            int count = 0;
            do {
                digits[count++] = static_cast<char>('0' + magnitude % 10);
                magnitude /= 10;
            } while (magnitude != 0);
            if (value < 0)
                put('-');
            while (count > 0)
                put(digits[--count]);
        } else if (*f == '%') {
            put('%');
        } else {
            fits = false;
        }
    }
    if (!fits) {
        if (size > 0)
            out[0] = '\0';
        return -1;
    }
    out[n] = '\0';
    return static_cast<int>(n);
}

int FormatText(char* out, std::size_t size, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    int n = FormatTextV(out, size, format, args);
    va_end(args);
    return n;
}
