// The portable rules of the settings restore: line trimming, the line reader,
// the SYSTEM.INI and WIN.INI filters and the passes built on them, the
// default-device rule, the run-line edit and the printer counter. No Windows
// calls; built natively and fuzzed.
#pragma once

#include <cstddef>
#include <cstdio>

// Removes spaces, tabs and line feeds at both ends, in place; a carriage
// return is not a blank. Returns `text`.
char* TrimLine(char* text);

// One line of an INI file, however long: a line is judged and written or
// dropped as a whole, never in pieces that could be glued to another line.
struct IniLine {
    char* text = nullptr;     // the line with its line feed, NUL-terminated
    char* scratch = nullptr;  // as large: room for a copy the rules cut up
    std::size_t length = 0;   // bytes of the line, NUL bytes included
    std::size_t capacity = 0;

    IniLine() = default;
    IniLine(const IniLine&) = delete;
    IniLine& operator=(const IniLine&) = delete;
    ~IniLine();
};

enum class ReadResult { Line, End, Failed };

// Reads the next line of a file opened in binary mode, as a text-mode read
// would see it: every CR LF pair arrives as one line feed, and the line ends
// after its first line feed or at the end of the file. Unlike a text-mode
// read, a Ctrl+Z is an ordinary character, so nothing after one is lost.
// Failed when the file cannot be read or there is no memory for the line.
ReadResult ReadIniLine(std::FILE* file, IniLine* line);

// Splits a copy of `line` (into `buffer`, `size` bytes) at its first "=";
// `*key` and `*value` point into the buffer, both trimmed. False when the
// line holds no "=" (or does not fit the buffer).
bool SplitEntry(const char* line, char* buffer, std::size_t size, char** key, char** value);

// The text after the last backslash of `value`, or all of it.
const char* BaseName(const char* value);

enum class LineAction {
    Write,    // write the line unchanged
    Drop,     // write nothing
    Replace,  // write the filter's replacement instead
};

// The filters judge a whole line (`line`, NUL-terminated); `scratch` holds
// at least `size` > strlen(line) bytes that they may write.

// The [386Enh] filter of SYSTEM.INI.
struct SystemIniFilter {
    // Written in place of a commented-out "vpd.386" device line.
    static constexpr char kReplacement[] = "device=vpd.386\n";

    bool inside = false;  // within a [386Enh] section

    LineAction Next(const char* line, char* scratch, std::size_t size);
};

// The WIN.INI filter: package printer sections dropped whole, the package's
// entries dropped from [pscript], [printerports], [devices] and [ports].
struct WinIniFilter {
    static constexpr char kReplacement[] = "";  // never replaces

    enum class State { Outside, Filtering, Dropping };
    State state = State::Outside;

    LineAction Next(const char* line, char* scratch, std::size_t size);
};

// The package's printers, as WIN.INI names them.
extern const char* const kPackagePrinters[3];

// Where a pass writes the lines it keeps: true when all `length` bytes went
// out.
using IniWriter = bool (*)(const char* text, std::size_t length, void* context);

// What a pass did besides writing lines unchanged: how many it dropped and
// replaced, and each of them as it happened, for the action log. `observe`
// gets the line as read (its line feed included), the header of the section
// it lies in (the trimmed header line, "" before the first one) and, for a
// replaced line, its replacement (null for a dropped one). It may be null.
struct IniPassReport {
    void (*observe)(void* context, const char* section, const char* line,
                    const char* replacement) = nullptr;
    void* context = nullptr;
    unsigned long dropped = 0;
    unsigned long replaced = 0;
};

// A whole rewriting pass over the text of `in`: every line judged by the
// filter and written (or its replacement) through `write`, and what it
// dropped or replaced counted in `report` (which may be null). False when a
// read or a write failed or a line found no memory; the output is then
// incomplete.
bool FilterSystemIni(std::FILE* in, IniWriter write, void* context, IniPassReport* report);
bool FilterWinIni(std::FILE* in, IniWriter write, void* context, IniPassReport* report);

// Finds the default printer in [devices] of WIN.INI: `device` gets
// "printer,driver,port" from the first entry of [devices], or " " when
// [devices] has no entry before the next section; it keeps its value when
// the file ends first. A line without "=", or one too long for `device`,
// names no printer and is passed over. False when the file could not be read.
bool ScanDefaultDevice(std::FILE* in, char* device, std::size_t deviceSize);

// Takes every blank-separated word that contains "QVWPD.EXE" (ignoring case)
// out of the run line, in place, joining the words around it with one blank;
// everything else keeps its case and place. False, and `run` untouched, when
// the line does not name the program.
bool RemoveRunProgram(char* run);

// The PostScript driver's "External Printers" counter after one printer is
// gone: `count` - 1 formatted into `text`. False, and nothing to write, when
// that would be negative.
bool NextPrinterCount(unsigned count, char* text, std::size_t size);

// Whether the default printer, "printer,driver,port" as [windows] device
// holds it, is one of the package's printers (its name compared ignoring
// case and the blanks around it).
bool IsPackageDevice(const char* device);
