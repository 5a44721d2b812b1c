// The deferred-deletion batch's text and the search for a block that an
// earlier run left in winstart.bat, without Windows calls.
#include "engine/removal_batch.h"

#include <climits>
#include <cstring>

#include "base/base.h"
#include "engine/removal_rules.h"

namespace {

// Characters that the command interpreter treats as separators or
// expansions. A path holding one would make "del" act on other names.
bool IsBatchSafe(const char* path)
{
    for (const char* p = path; *p; ++p) {
        unsigned char c = static_cast<unsigned char>(*p);
        if (c < 0x20 || std::strchr(" \"%&|<>^,;=", c) != nullptr)
            return false;
    }
    return true;
}

template <typename... Args>
bool FormatWhole(char* out, std::size_t size, const char* format, Args... args)
{
    return FormatText(out, size, format, args...) >= 0;
}

// The batch's command that deletes a file, or removes a folder when it is
// empty.
bool DeferredLine(char* out, std::size_t size, const char* path, bool directory)
{
    return directory ? FormatWhole(out, size, "if not exist %s\\*.* rmdir %s\r\n", path, path)
                     : FormatWhole(out, size, "if exist %s del %s\r\n", path, path);
}

// Case-insensitive equality of two byte runs of the same length.
bool SameNoCase(const char* a, const char* b, std::size_t length)
{
    char left[2 * kBatchTextSize];
    char right[2 * kBatchTextSize];
    if (length >= sizeof left)
        return false;
    std::memcpy(left, a, length);
    left[length] = '\0';
    std::memcpy(right, b, length);
    right[length] = '\0';
    // A zero byte inside the data cuts one side short: no match.
    if (std::strlen(left) != length || std::strlen(right) != length)
        return false;
    return CompareNoCase(left, right) == 0;
}

}  // namespace

bool BuildBatchPaths(BatchPaths* paths, const char* windowsDir, const char* installDir)
{
    *paths = BatchPaths();
    // A relative directory would name another place when the batch runs.
    if (!IsAbsolutePath(windowsDir) || !IsAbsolutePath(installDir))
        return false;
    if (!IsBatchSafe(windowsDir) || !IsBatchSafe(installDir))
        return false;
    if (!JoinPath(paths->batch, sizeof paths->batch, windowsDir, "winstart.bat"))
        return false;
    if (!JoinPath(paths->uninstaller, sizeof paths->uninstaller, installDir, "QORDELET.EXE"))
        return false;
    if (!FormatWhole(paths->directory, sizeof paths->directory, "%s", installDir))
        return false;
    // An install directory of "" or "\" would leave "rmdir" with nothing to
    // name.
    std::size_t n = std::strlen(paths->directory);
    if (n == 0)
        return false;
    if (paths->directory[n - 1] == '\\')
        paths->directory[--n] = '\0';
    if (n == 0)
        return false;
    return FormatWhole(paths->ownLastLine, sizeof paths->ownLastLine, "del %s", paths->batch);
}

bool BuildOldBatchPath(char* out, std::size_t size, const char* windowsDir, int choice)
{
    char name[16];
    if (choice < 0 || choice >= kOldBatchChoices)
        return false;
    if (choice == 0)
        FormatText(name, sizeof name, "oldstart.bat");
    else
        FormatText(name, sizeof name, "oldstar%d.bat", choice);
    return JoinPath(out, size, windowsDir, name);
}

bool BatchCanName(const char* path, bool directory)
{
    char line[kBatchTextSize];
    return IsBatchSafe(path) && DeferredLine(line, sizeof line, path, directory);
}

bool BuildBatchBlock(BatchBlock* block, const BatchPaths& paths, const char* oldBatch,
                     const DeferredList* deferred)
{
    block->count = 0;
    char (*line)[kBatchTextSize] = block->lines;
    bool ok = FormatWhole(line[0], sizeof line[0], "@echo off\r\n") &&
              FormatWhole(line[1], sizeof line[1], "if exist %s del %s\r\n", paths.uninstaller,
                          paths.uninstaller) &&
              FormatWhole(line[2], sizeof line[2], "if exist %s del %s\r\n", "gauge32.dll",
                          "gauge32.dll") &&
              FormatWhole(line[3], sizeof line[3], "if exist %s del %s\r\n", "qvwpd.exe",
                          "qvwpd.exe");
    if (!ok)
        return false;
    int n = 4;
    if (deferred) {
        int order[kMaxDeferred];
        int count = DeferredOrder(*deferred, order);
        for (int i = 0; i < count; ++i) {
            const DeferredPath& entry = deferred->paths[order[i]];
            // What the batch cannot name waits in the system's list, or
            // was never deferred.
            if (IsBatchSafe(entry.path) &&
                DeferredLine(line[n], sizeof line[n], entry.path, entry.directory))
                ++n;
        }
    }
    if (!DeferredLine(line[n], sizeof line[n], paths.directory, true))
        return false;
    ++n;
    if (oldBatch == nullptr) {
        if (!FormatWhole(line[n], sizeof line[n], "%s", paths.ownLastLine))
            return false;
        block->count = n + 1;
        return true;
    }
    // "call": a batch started without it never returns, and the user's
    // winstart.bat would never be moved back.
    if (!FormatWhole(line[n], sizeof line[n], "call %s\r\n", oldBatch) ||
        !FormatWhole(line[n + 1], sizeof line[n + 1], "move /y %s %s", oldBatch, paths.batch))
        return false;
    block->count = n + 2;
    return true;
}

bool EndsWithWrapLines(const char* data, std::size_t length, bool wholeFile,
                       const BatchPaths& paths, const char* oldBatch, std::size_t* tailLength)
{
    char tail[2 * kBatchTextSize];
    if (!FormatWhole(tail, sizeof tail, "call %s\r\nmove /y %s %s", oldBatch, oldBatch,
                     paths.batch))
        return false;
    std::size_t n = std::strlen(tail);
    if (length < n)
        return false;
    if (length == n) {
        if (!wholeFile)
            return false;
    } else {
        char before = data[length - n - 1];
        if (before != '\r' && before != '\n')
            return false;
    }
    if (!SameNoCase(data + length - n, tail, n))
        return false;
    *tailLength = n;
    return true;
}

long FindLine(ReadByteFn read, void* context, const char* text, LineMatch match,
              long* lineStart)
{
    std::size_t n = std::strlen(text);
    *lineStart = -1;
    if (n >= kLineSearchSize)
        return -1;
    char line[kLineSearchSize];
    std::size_t kept = 0;     // bytes of the line held in `line`
    std::size_t length = 0;   // bytes of the line, also those not held
    long offset = 0;
    long start = 0;           // offset of the line's first byte

    auto matches = [&]() {
        bool whole = match != LineMatch::Prefix;
        if (length < n || (whole && length != n))
            return false;
        // LF bytes inside the line would put its start elsewhere than
        // `offset - length`; a whole-line match must be exact.
        if (whole && offset - start != static_cast<long>(n))
            return false;
        char head[kLineSearchSize];
        std::memcpy(head, line, n);
        head[n] = '\0';
        if (std::strlen(head) != n)
            return false;
        return CompareNoCase(head, text) == 0;
    };
    // The last line with anything on it, for WholeLast: its end when it
    // matched, else -1.
    long lastEnd = -1;
    long lastStart = -1;
    auto lineEnds = [&]() {
        if (match != LineMatch::WholeLast)
            return matches();
        if (length > 0) {
            bool matched = matches();
            lastEnd = matched ? offset : -1;
            lastStart = matched ? start : -1;
        }
        return false;
    };

    for (;;) {
        int c = read(context);
        if (c == kReadError)
            return -1;
        if (c == kEndOfInput) {
            if (lineEnds()) {
                *lineStart = start;
                return offset;
            }
            *lineStart = lastStart;
            return lastEnd;
        }
        if (c == '\r') {
            if (lineEnds()) {
                *lineStart = start;
                return offset;
            }
            kept = 0;
            length = 0;
        } else if (c != '\n') {
            if (kept < sizeof line)
                line[kept++] = static_cast<char>(c);
            ++length;
        }
        if (offset == LONG_MAX)
            return -1;
        if (length == 0)
            start = offset + 1;
        ++offset;
    }
}
