// The settings restore's portable rules: trimming, the piece reader, the two
// INI filters, the default-device rule, the run-line edit and the counter.
#include "inirestore/filters.h"

#include <cstdint>
#include <cstring>

#include "shell/nocase.h"

namespace {

bool IsTrimBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n';
}

bool IsWordBlank(char c)
{
    return c == ' ' || c == '\t';
}

// Copies as much of `source` as fits; the filters only ever get pieces that
// fit their buffers, so nothing is cut in practice.
void CopyBounded(char* destination, std::size_t size, const char* source)
{
    std::size_t n = 0;
    while (n + 1 < size && source[n] != '\0') {
        destination[n] = source[n];
        ++n;
    }
    destination[n] = '\0';
}

char FoldCase(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

// Whether text[0, length) holds `needle` (upper case), ignoring case.
bool ContainsNoCase(const char* text, std::size_t length, const char* needle)
{
    std::size_t n = std::strlen(needle);
    for (std::size_t start = 0; start + n <= length; ++start) {
        std::size_t i = 0;
        while (i < n && FoldCase(text[start + i]) == needle[i])
            ++i;
        if (i == n)
            return true;
    }
    return false;
}

constexpr const char* kPackageHeaders[] = {
    "[QOR Brackenfield Model 2890 GDI",
    "[QOR 4400 Brackenfield PS2",
    "[QOR Brackenfield 4400",
};

constexpr const char* kFilteredSections[] = {"[pscript]", "[printerports]", "[devices]", "[ports]"};

constexpr const char* kPackageKeys[] = {"QOR.GDI", "QOR.PS", "QOR.PCL"};

}  // namespace

const char* const kPackagePrinters[3] = {
    "QOR Brackenfield Model 2890 GDI",
    "QOR 4400 Brackenfield PS2",
    "QOR Brackenfield 4400",
};

char* TrimLine(char* text)
{
    std::size_t start = 0;
    while (IsTrimBlank(text[start]))
        ++start;
    std::size_t length = std::strlen(text + start);
    std::memmove(text, text + start, length + 1);
    while (length > 0 && IsTrimBlank(text[length - 1]))
        text[--length] = '\0';
    return text;
}

bool ReadPiece(std::FILE* file, char* buffer, std::size_t size, std::size_t* length)
{
    std::size_t n = 0;
    while (n + 1 < size) {
        int c = std::getc(file);
        if (c == EOF)
            break;
        if (c == '\r') {
            int next = std::getc(file);
            if (next == '\n')
                c = '\n';
            else if (next != EOF)
                std::ungetc(next, file);
        }
        buffer[n++] = static_cast<char>(c);
        if (c == '\n')
            break;
    }
    buffer[n] = '\0';
    *length = n;
    return n > 0;
}

bool SplitEntry(const char* piece, char* buffer, std::size_t size, char** key, char** value)
{
    CopyBounded(buffer, size, piece);
    char* equals = std::strchr(buffer, '=');
    if (!equals)
        return false;
    *equals = '\0';
    *key = TrimLine(buffer);
    *value = TrimLine(equals + 1);
    return true;
}

const char* BaseName(const char* value)
{
    const char* slash = std::strrchr(value, '\\');
    return slash ? slash + 1 : value;
}

PieceAction SystemIniFilter::Next(const char* piece)
{
    char trimmed[kPieceSize];
    CopyBounded(trimmed, sizeof trimmed, piece);
    TrimLine(trimmed);
    if (CompareNoCase(trimmed, "[386Enh]") == 0) {
        inside = true;
        return PieceAction::Write;
    }
    if (!inside)
        return PieceAction::Write;
    if (trimmed[0] == '[') {
        inside = false;
        return PieceAction::Write;
    }
    char entry[kPieceSize];
    char* key;
    char* value;
    if (!SplitEntry(piece, entry, sizeof entry, &key, &value))
        return PieceAction::Write;
    const char* base = BaseName(value);
    if (CompareNoCase(key, "VornLPT") == 0 || CompareNoCase(base, "VORNVMI.386") == 0)
        return PieceAction::Drop;
    if (CompareNoCase(key, ";device") == 0 && CompareNoCase(base, "vpd.386") == 0)
        return PieceAction::Replace;
    return PieceAction::Write;
}

PieceAction WinIniFilter::Next(const char* piece)
{
    char trimmed[kPieceSize];
    CopyBounded(trimmed, sizeof trimmed, piece);
    TrimLine(trimmed);
    for (const char* header : kPackageHeaders) {
        if (std::strstr(trimmed, header)) {
            state = State::Dropping;
            return PieceAction::Drop;
        }
    }
    for (const char* section : kFilteredSections) {
        if (CompareNoCase(trimmed, section) == 0) {
            state = State::Filtering;
            return PieceAction::Write;
        }
    }
    if (state == State::Outside)
        return PieceAction::Write;
    if (trimmed[0] == '[') {
        state = State::Outside;
        return PieceAction::Write;
    }
    if (state == State::Dropping)
        return PieceAction::Drop;

    char entry[kPieceSize];
    char* key;
    char* value;
    if (!SplitEntry(piece, entry, sizeof entry, &key, &value))
        return PieceAction::Write;
    if (CompareNoCase(value, "VORNPS") == 0)
        return PieceAction::Drop;
    for (const char* printer : kPackagePrinters) {
        if (std::strstr(key, printer))
            return PieceAction::Drop;
    }
    for (const char* packageKey : kPackageKeys) {
        if (CompareNoCase(key, packageKey) == 0)
            return PieceAction::Drop;
    }
    return PieceAction::Write;
}

bool DefaultDeviceScan::Next(char* piece, char* device, std::size_t deviceSize)
{
    // A line longer than a piece arrives in several; only its first piece is
    // a line of its own, and an entry cut there would name no printer.
    std::size_t length = std::strlen(piece);
    bool whole = length + 1 < kPieceSize || (length > 0 && piece[length - 1] == '\n');
    bool continuation = midLine;
    midLine = !whole;
    if (continuation)
        return false;

    TrimLine(piece);
    if (CompareNoCase(piece, "[devices]") == 0) {
        inDevices = true;
        return false;
    }
    if (!inDevices)
        return false;
    if (piece[0] == '[') {
        CopyBounded(device, deviceSize, " ");
        return true;
    }
    if (piece[0] == '\0' || piece[0] == ';')
        return false;
    // A line without "=" names no printer, and one that does not fit is not
    // taken cut short: the scan goes on to the next entry.
    char* equals = std::strchr(piece, '=');
    if (!equals || !whole || std::strlen(piece) >= deviceSize)
        return false;
    *equals = ',';
    CopyBounded(device, deviceSize, piece);
    return true;
}

bool RemoveRunProgram(char* run)
{
    static const char kProgram[] = "QVWPD.EXE";
    bool found = false;
    std::size_t start = 0;
    for (;;) {
        while (IsWordBlank(run[start]))
            ++start;
        if (run[start] == '\0')
            break;
        std::size_t end = start;
        while (run[end] != '\0' && !IsWordBlank(run[end]))
            ++end;
        if (!ContainsNoCase(run + start, end - start, kProgram)) {
            start = end;
            continue;
        }
        found = true;
        std::size_t before = start;
        while (before > 0 && IsWordBlank(run[before - 1]))
            --before;
        std::size_t after = end;
        while (IsWordBlank(run[after]))
            ++after;
        std::size_t rest = std::strlen(run + after) + 1;
        if (before > 0 && run[after] != '\0') {
            run[before] = ' ';
            std::memmove(run + before + 1, run + after, rest);
            start = before + 1;
        } else {
            std::memmove(run + before, run + after, rest);
            start = before;
        }
    }
    return found;
}

bool NextPrinterCount(unsigned count, char* text, std::size_t size)
{
    // The difference counts as a signed 32-bit number: a missing counter (0),
    // or one written as a negative number, leaves nothing to write.
    std::int32_t next = static_cast<std::int32_t>(static_cast<std::uint32_t>(count) - 1u);
    if (next < 0)
        return false;
    int n = std::snprintf(text, size, "%d", static_cast<int>(next));
    return n > 0 && static_cast<std::size_t>(n) < size;
}
