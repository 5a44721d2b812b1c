// The text of the deferred-deletion batch: its paths, its command block and
// the line search that finds a block written by an earlier run.
#pragma once

#include <cstddef>

#include "engine/restart.h"

// Each path and each line of the batch (line end included) fits 143
// characters; the line search keeps the first 255 bytes of a line.
constexpr int kBatchTextSize = 144;
constexpr int kLineSearchSize = 256;

// Names the user's own winstart.bat is moved to while the new batch wraps
// it: oldstart.bat, then oldstar1.bat to oldstar9.bat when that one is taken.
constexpr int kOldBatchChoices = 10;

struct BatchPaths {
    char batch[kBatchTextSize];        // winstart.bat in the Windows directory
    char uninstaller[kBatchTextSize];  // QORDELET.EXE in the install directory
    char directory[kBatchTextSize];    // the install directory, no trailing backslash
    char ownLastLine[kBatchTextSize];  // "del " and the batch path
};

// False when a path does not fit or holds a character that the command
// interpreter would split or expand (blanks, quotes, %, &, |, <, >, ^, ",",
// ";", "="): such a command could delete another file.
bool BuildBatchPaths(BatchPaths* paths, const char* windowsDir, const char* installDir);
// The Windows directory joined with oldstart.bat (choice 0) or oldstarN.bat.
bool BuildOldBatchPath(char* out, std::size_t size, const char* windowsDir, int choice);

// Whether the batch can name `path` (a file to delete, or a folder to remove
// when it is empty): a path the command interpreter keeps whole, in a
// command line that fits.
bool BatchCanName(const char* path, bool directory);

constexpr int kMaxBatchLines = 7 + kMaxDeferred;
struct BatchBlock {
    int count;
    char lines[kMaxBatchLines][kBatchTextSize];  // each with its line end
};
// Lines 1 to 6 ending in the own last line (oldBatch null), or lines 1 to 5
// followed by the two that call the user's batch moved to `oldBatch` and move
// it back. Before line 5, which removes the install directory, come the
// deferred files and folders of `deferred` (when given) that the batch can
// name, in their order. False, and nothing to write, when a line does not
// fit.
bool BuildBatchBlock(BatchBlock* block, const BatchPaths& paths, const char* oldBatch,
                     const DeferredList* deferred = nullptr);

// True when `data` (the last `length` bytes of a file; all of it when
// `wholeFile`) ends with the last two lines of a block that wraps `oldBatch`,
// starting at the beginning of a line. *tailLength gets their length.
bool EndsWithWrapLines(const char* data, std::size_t length, bool wholeFile,
                       const BatchPaths& paths, const char* oldBatch, std::size_t* tailLength);

// Reads the next byte: 0 to 255, or one of these.
constexpr int kEndOfInput = -1;
constexpr int kReadError = -2;
using ReadByteFn = int (*)(void* context);

enum class LineMatch {
    Prefix,     // the first line that begins with the text
    Whole,      // the first line that is the text
    WholeLast,  // the last line, when it is the text (empty lines after it
                // do not count)
};

// Searches the bytes that `read` delivers for a line that matches `text`,
// ignoring case. Only CR ends a line; LF bytes are counted but not part of
// any line. Returns the offset of the line's end (its CR, or the end of the
// input), or -1 when none matches or a read fails. *lineStart gets the
// offset of the line's first byte.
long FindLine(ReadByteFn read, void* context, const char* text, LineMatch match,
              long* lineStart);
