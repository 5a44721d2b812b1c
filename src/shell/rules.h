// The shell's pure rules: where the main window goes, what counts as a colour
// display, the command-line word, the backdrop's bands and the path join.
#pragma once

#include <cstdarg>
#include <cstddef>

struct PlaceRect {
    int x, y, width, height;
};

// NUMCOLORS is -1 on every display with more than 256 colours; only 0, 1 and
// 2 mean a monochrome display.
bool IsColourDisplay(int numColors);

// desktop: left, top, right, bottom of the desktop window.
PlaceRect ChoosePlacement(bool colour, int horzRes, int vertRes,
                          int left, int top, int right, int bottom);

// The whole tail, compared ignoring case; "External " does not match.
bool IsExternalTail(const char* tail);

constexpr int kBackdropBands = 128;
constexpr int kBandHeight = 4;
// Blue component of band i: 255, 253, ... 1.
int BandBlue(int band);

// dir + "\" + name, or dir + name when dir ends in a backslash. Returns false,
// and leaves out empty, when the result would not fit: a cut path can name
// another file.
bool JoinPath(char* out, std::size_t size, const char* dir, const char* name);

// Formats `format` into `out` (`size` bytes): %s, %d and %% only, all the
// program needs, without the C library's formatting. Returns the length, or
// -1, with out empty, when the text does not fit (or the format holds any
// other conversion): a cut path or command could name another file.
int FormatText(char* out, std::size_t size, const char* format, ...);
int FormatTextV(char* out, std::size_t size, const char* format, va_list args);
