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

// What the command tail asks for. Switches count anywhere and in any letter
// case: /S for an unattended run, /RESTART (with /S) for a restart at its
// end, /LOG=path or /LOG="path with blanks" for the action log. Without any
// switch, External is the whole tail as ever; beside switches it is the one
// other word. Anything else is ignored.
constexpr int kLogPathSize = 260;
struct CommandOptions {
    bool external = false;
    bool unattended = false;
    bool restart = false;
    bool log = false;      // /LOG was given
    bool logBad = false;   // ... without a path, with a quote left open, or too long
    char logPath[kLogPathSize] = "";
};
void ParseCommandTail(const char* tail, CommandOptions* options);

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

// Formats `format` piece by piece into `put`, with no buffer that a long
// text could overflow: %s, %d, %% and %l (a line: the text up to its first
// CR or LF). Any other conversion is written as it stands.
using TextSink = void (*)(void* context, const char* text, std::size_t length);
void StreamFormatV(TextSink put, void* context, const char* format, va_list args);
