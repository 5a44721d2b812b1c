// The portable rules of the settings restore: line trimming, the piece reader,
// the SYSTEM.INI and WIN.INI filters, the default-device rule, the run-line
// edit and the printer counter. No Windows calls; built natively and fuzzed.
#pragma once

#include <cstddef>
#include <cstdio>

// Removes spaces, tabs and line feeds at both ends, in place; a carriage
// return is not a blank. Returns `text`.
char* TrimLine(char* text);

// Reads one piece of a file opened in binary mode, as a text-mode read would
// see it: every CR LF pair arrives as one line feed, and the piece ends after
// the first line feed or when `size` - 1 characters are in. Unlike a text-mode
// read, a Ctrl+Z is an ordinary character, so nothing after one is lost.
// `*length` counts every character, NUL bytes included. False at end of file.
bool ReadPiece(std::FILE* file, char* buffer, std::size_t size, std::size_t* length);

// Splits a copy of `piece` (into `buffer`, `size` bytes) at its first "=";
// `*key` and `*value` point into the buffer, both trimmed. False when the
// piece holds no "=".
bool SplitEntry(const char* piece, char* buffer, std::size_t size, char** key, char** value);

// The text after the last backslash of `value`, or all of it.
const char* BaseName(const char* value);

enum class PieceAction {
    Write,    // write the piece unchanged
    Drop,     // write nothing
    Replace,  // write the filter's replacement instead
};

// The [386Enh] filter of SYSTEM.INI.
struct SystemIniFilter {
    static constexpr std::size_t kPieceSize = 100;
    // Written in place of a commented-out "vpd.386" device line.
    static constexpr char kReplacement[] = "device=vpd.386\n";

    bool inside = false;  // within a [386Enh] section

    PieceAction Next(const char* piece);
};

// The WIN.INI filter: package printer sections dropped whole, the package's
// entries dropped from [pscript], [printerports], [devices] and [ports].
struct WinIniFilter {
    static constexpr std::size_t kPieceSize = 200;
    static constexpr char kReplacement[] = "";  // never replaces

    enum class State { Outside, Filtering, Dropping };
    State state = State::Outside;

    PieceAction Next(const char* piece);
};

// The package's printers, as WIN.INI names them.
extern const char* const kPackagePrinters[3];

// Finds the default printer in [devices] of WIN.INI, one piece at a time.
struct DefaultDeviceScan {
    static constexpr std::size_t kPieceSize = 100;

    bool inDevices = false;
    bool midLine = false;  // the previous piece did not finish its line

    // Trims `piece` in place and judges it. True when the scan is over:
    // `device` then holds "printer,driver,port" from the first entry of
    // [devices], or " " when [devices] has no entry before the next section.
    bool Next(char* piece, char* device, std::size_t deviceSize);
};

// Takes every blank-separated word that contains "QVWPD.EXE" (ignoring case)
// out of the run line, in place, joining the words around it with one blank;
// everything else keeps its case and place. False, and `run` untouched, when
// the line does not name the program.
bool RemoveRunProgram(char* run);

// The PostScript driver's "External Printers" counter after one printer is
// gone: `count` - 1 formatted into `text`. False, and nothing to write, when
// that would be negative.
bool NextPrinterCount(unsigned count, char* text, std::size_t size);
