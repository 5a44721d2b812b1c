// The settings restore's portable rules: trimming, the line reader, the two
// INI filters and their passes, the default-device rule, the run-line edit
// and the counter.
#include "inirestore/filters.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "base/base.h"

namespace {

bool IsTrimBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n';
}

bool IsWordBlank(char c)
{
    return c == ' ' || c == '\t';
}

// Copies `source` whole; false, with `destination` empty, when it does not
// fit. The filters' scratch buffers always hold a whole line.
bool CopyWhole(char* destination, std::size_t size, const char* source)
{
    std::size_t n = std::strlen(source);
    if (n >= size) {
        if (size > 0)
            destination[0] = '\0';
        return false;
    }
    std::memcpy(destination, source, n + 1);
    return true;
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

IniLine::~IniLine()
{
    std::free(text);
    std::free(scratch);
}

namespace {

// Room for one more byte and the terminator in both buffers of the line.
bool Grow(IniLine* line)
{
    if (line->length + 2 <= line->capacity)
        return true;
    std::size_t capacity = line->capacity ? 2 * line->capacity : 256;
    if (capacity < line->capacity)
        return false;
    char* text = static_cast<char*>(std::realloc(line->text, capacity));
    if (!text)
        return false;
    line->text = text;
    char* scratch = static_cast<char*>(std::realloc(line->scratch, capacity));
    if (!scratch)
        return false;
    line->scratch = scratch;
    line->capacity = capacity;
    return true;
}

}  // namespace

ReadResult ReadIniLine(std::FILE* file, IniLine* line)
{
    line->length = 0;
    for (;;) {
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
        if (!Grow(line))
            return ReadResult::Failed;
        line->text[line->length++] = static_cast<char>(c);
        if (c == '\n')
            break;
    }
    if (std::ferror(file))
        return ReadResult::Failed;
    if (line->length == 0)
        return ReadResult::End;
    line->text[line->length] = '\0';
    return ReadResult::Line;
}

bool SplitEntry(const char* line, char* buffer, std::size_t size, char** key, char** value)
{
    if (!CopyWhole(buffer, size, line))
        return false;
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

LineAction SystemIniFilter::Next(const char* line, char* scratch, std::size_t size)
{
    CopyWhole(scratch, size, line);
    TrimLine(scratch);
    if (CompareNoCase(scratch, "[386Enh]") == 0) {
        inside = true;
        return LineAction::Write;
    }
    if (!inside)
        return LineAction::Write;
    if (scratch[0] == '[') {
        inside = false;
        return LineAction::Write;
    }
    char* key;
    char* value;
    if (!SplitEntry(line, scratch, size, &key, &value))
        return LineAction::Write;
    const char* base = BaseName(value);
    if (CompareNoCase(key, "VornLPT") == 0 || CompareNoCase(base, "VORNVMI.386") == 0)
        return LineAction::Drop;
    if (CompareNoCase(key, ";device") == 0 && CompareNoCase(base, "vpd.386") == 0)
        return LineAction::Replace;
    return LineAction::Write;
}

LineAction WinIniFilter::Next(const char* line, char* scratch, std::size_t size)
{
    CopyWhole(scratch, size, line);
    TrimLine(scratch);
    for (const char* header : kPackageHeaders) {
        if (std::strstr(scratch, header)) {
            state = State::Dropping;
            return LineAction::Drop;
        }
    }
    for (const char* section : kFilteredSections) {
        if (CompareNoCase(scratch, section) == 0) {
            state = State::Filtering;
            return LineAction::Write;
        }
    }
    if (state == State::Outside)
        return LineAction::Write;
    if (scratch[0] == '[') {
        state = State::Outside;
        return LineAction::Write;
    }
    if (state == State::Dropping)
        return LineAction::Drop;

    char* key;
    char* value;
    if (!SplitEntry(line, scratch, size, &key, &value))
        return LineAction::Write;
    if (CompareNoCase(value, "VORNPS") == 0)
        return LineAction::Drop;
    for (const char* printer : kPackagePrinters) {
        if (std::strstr(key, printer))
            return LineAction::Drop;
    }
    for (const char* packageKey : kPackageKeys) {
        if (CompareNoCase(key, packageKey) == 0)
            return LineAction::Drop;
    }
    return LineAction::Write;
}

namespace {

// The header of the section a pass is in, for its report: as long as the
// header line, grown as needed. Without memory it is left empty; the pass
// itself does not depend on it.
class SectionName {
public:
    SectionName() = default;
    SectionName(const SectionName&) = delete;
    SectionName& operator=(const SectionName&) = delete;
    ~SectionName() { std::free(text_); }

    void Assign(const char* header)
    {
        std::size_t n = std::strlen(header);
        if (n + 1 > capacity_) {
            char* grown = static_cast<char*>(std::realloc(text_, n + 1));
            if (!grown) {
                if (text_)
                    text_[0] = '\0';
                return;
            }
            text_ = grown;
            capacity_ = n + 1;
        }
        std::memcpy(text_, header, n + 1);
    }
    const char* Text() const { return text_ ? text_ : ""; }

private:
    char* text_ = nullptr;
    std::size_t capacity_ = 0;
};

template <class Filter>
bool FilterLines(std::FILE* in, IniWriter write, void* context, IniPassReport* report)
{
    Filter filter;
    IniLine line;
    SectionName section;
    for (;;) {
        switch (ReadIniLine(in, &line)) {
        case ReadResult::End: return true;
        case ReadResult::Failed: return false;
        case ReadResult::Line: break;
        }
        if (report && report->observe) {
            CopyWhole(line.scratch, line.capacity, line.text);
            if (TrimLine(line.scratch)[0] == '[')
                section.Assign(line.scratch);
        }
        bool ok = true;
        LineAction action = filter.Next(line.text, line.scratch, line.capacity);
        switch (action) {
        case LineAction::Write:
            ok = write(line.text, line.length, context);
            break;
        case LineAction::Replace:
            ok = write(Filter::kReplacement, std::strlen(Filter::kReplacement), context);
            break;
        case LineAction::Drop:
            break;
        }
        if (!ok)
            return false;
        if (report && action != LineAction::Write) {
            bool dropped = action == LineAction::Drop;
            ++(dropped ? report->dropped : report->replaced);
            if (report->observe)
                report->observe(report->context, section.Text(), line.text,
                                dropped ? nullptr : Filter::kReplacement);
        }
    }
}

}  // namespace

bool FilterSystemIni(std::FILE* in, IniWriter write, void* context, IniPassReport* report)
{
    return FilterLines<SystemIniFilter>(in, write, context, report);
}

bool FilterWinIni(std::FILE* in, IniWriter write, void* context, IniPassReport* report)
{
    return FilterLines<WinIniFilter>(in, write, context, report);
}

bool ScanDefaultDevice(std::FILE* in, char* device, std::size_t deviceSize)
{
    bool inDevices = false;
    IniLine line;
    for (;;) {
        ReadResult result = ReadIniLine(in, &line);
        if (result != ReadResult::Line)
            return result == ReadResult::End;
        char* text = TrimLine(line.text);
        if (CompareNoCase(text, "[devices]") == 0) {
            inDevices = true;
            continue;
        }
        if (!inDevices)
            continue;
        if (text[0] == '[') {
            CopyWhole(device, deviceSize, " ");
            return true;
        }
        if (text[0] == '\0' || text[0] == ';')
            continue;
        // A line without "=" names no printer, and one that does not fit is
        // not taken cut short: the scan goes on to the next entry.
        char* equals = std::strchr(text, '=');
        if (!equals || std::strlen(text) >= deviceSize)
            continue;
        *equals = ',';
        CopyWhole(device, deviceSize, text);
        return true;
    }
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
    return FormatText(text, size, "%d", static_cast<int>(next)) > 0;
}

bool IsPackageDevice(const char* device)
{
    char name[100];
    std::size_t n = std::strcspn(device, ",");
    if (n >= sizeof name)
        return false;
    std::memcpy(name, device, n);
    name[n] = '\0';
    for (const char* printer : kPackagePrinters)
        if (CompareNoCase(TrimLine(name), printer) == 0)
            return true;
    return false;
}
