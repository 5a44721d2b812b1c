// The setup log parser: splits QVSETUP.INF into lines and sections and fills
// the tables. Portable; the file reading lives in load_win32.cpp.
#include <cstring>

#include "base/base.h"
#include "setuplog/tables.h"

LogHeader g_logHeader;
DiskEntry g_diskTable[kMaxDisks];
DirEntry g_dirTable[kMaxDirs];
FileEntry g_fileTable[kMaxFiles];
PMItemEntry g_pmItemTable[kMaxPMItems];

namespace {

enum class Section { kNone, kApplication, kDisks, kDirs, kFiles, kPMInfo, kEnd };

// The printer style that keeps the rows tagged "50"; every other value keeps
// the rows tagged "200".
constexpr int kFiftySheetStyle = 50;

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

// Descriptive texts (names of the application, the group, disk labels, item
// captions) are cut to fit their field.
void CopyCut(char* field, size_t width, const char* value)
{
    size_t n = std::strlen(value);
    if (n >= width)
        n = width - 1;
    std::memcpy(field, value, n);
    field[n] = '\0';
}

// File and directory names are never cut: a cut name can name another file.
// False, and the field untouched, when the name does not fit.
bool CopyName(char* field, size_t width, const char* value)
{
    size_t n = std::strlen(value);
    if (n >= width)
        return false;
    std::memcpy(field, value, n + 1);
    return true;
}

// Splits off the text up to the next comma: returns it and moves `rest` past
// the comma. Null, and `rest` unchanged, when no comma is left.
char* TakeField(char** rest)
{
    char* comma = std::strchr(*rest, ',');
    if (!comma)
        return nullptr;
    char* field = *rest;
    *comma = '\0';
    *rest = comma + 1;
    return field;
}

// Splits "key = value" at the first "=", trimming both; false without "=".
bool SplitKeyValue(char* line, char** key, char** value)
{
    char* eq = std::strchr(line, '=');
    if (!eq)
        return false;
    *eq = '\0';
    *key = TrimBlanks(line);
    *value = TrimBlanks(eq + 1);
    return true;
}

Section SectionFromHeader(const char* line)
{
    static const struct {
        const char* header;
        Section section;
    } kHeaders[] = {
        {"[End]", Section::kEnd},     {"[Application]", Section::kApplication},
        {"[Disks]", Section::kDisks}, {"[Dirs]", Section::kDirs},
        {"[Files]", Section::kFiles}, {"[PM Info]", Section::kPMInfo},
    };
    for (const auto& h : kHeaders) {
        if (CompareNoCase(line, h.header) == 0)
            return h.section;
    }
    return Section::kNone;
}

void ApplyApplicationLine(char* line)
{
    char *key, *value;
    if (!SplitKeyValue(line, &key, &value))
        return;
    LogHeader& h = g_logHeader;
    if (CompareNoCase(key, "AppName") == 0) {
        CopyCut(h.AppName, sizeof h.AppName, value);
    } else if (CompareNoCase(key, "DefDir") == 0) {
        CopyCut(h.DefDir, sizeof h.DefDir, value);
    } else if (CompareNoCase(key, "SpaceNeeded") == 0) {
        h.SpaceNeeded = ParseDigits32(value);
    } else if (CompareNoCase(key, "DefPMGroup") == 0) {
        char* rest = value;
        char* part1 = TakeField(&rest);
        if (part1) {
            CopyCut(h.PMGroupPart1, sizeof h.PMGroupPart1, TrimBlanks(part1));
            CopyCut(h.PMGroupPart2, sizeof h.PMGroupPart2, TrimBlanks(rest));
        } else {
            CopyCut(h.PMGroupPart1, sizeof h.PMGroupPart1, value);
            h.PMGroupPart2[0] = '\0';
        }
    }
}

void ApplyDiskLine(char* line)
{
    char *key, *value;
    if (g_logHeader.DiskCount >= kMaxDisks || !SplitKeyValue(line, &key, &value))
        return;
    DiskEntry& d = g_diskTable[g_logHeader.DiskCount++];
    d.Id = ParseDigits16(key);
    CopyCut(d.Label, sizeof d.Label, value);
}

// A [Dirs] line that cannot be stored (no "=", a name too long for its
// field) still takes its slot: the removal counts directory entries by their
// index, and dropping one would give every later index another directory.
// Its empty name is one that nothing acts on.
void ApplyDirLine(char* line)
{
    if (g_logHeader.DirCount >= kMaxDirs)
        return;
    DirEntry& d = g_dirTable[g_logHeader.DirCount++];
    char *key, *value;
    if (!SplitKeyValue(line, &key, &value)) {
        d.Id = ParseDigits16(line);
        d.Name[0] = '\0';
        return;
    }
    d.Id = ParseDigits16(key);
    if (!CopyName(d.Name, sizeof d.Name, value))
        d.Name[0] = '\0';
}

bool IsStyleFiltered(const char* name)
{
    return std::strstr(name, ".BMP") || std::strstr(name, ".bmp") || std::strstr(name, ".INI") ||
           std::strstr(name, ".ini");
}

bool StyleTagPasses(const char* tag)
{
    if (CompareNoCase(tag, "ALL") == 0)
        return true;
    if (g_config.PrinterStyle == kFiftySheetStyle)
        return CompareNoCase(tag, "50") == 0;
    return CompareNoCase(tag, "200") == 0;
}

// name, dir id, second name, second dir id, disk id, flag [, style tag]. The
// entry is built aside and stored only when the whole line is accepted, so a
// dropped line leaves no trace in the table. Only a name that does not fit
// drops the line: a second name too long for its field is stored empty, since
// nothing that deletes files reads it.
void ApplyFileLine(char* line)
{
    if (g_logHeader.FileCount >= kMaxFiles)
        return;
    char* rest = line;
    char* fields[5];
    for (char*& f : fields) {
        f = TakeField(&rest);
        if (!f)
            return;  // fewer than six fields
        TrimBlanks(f);
    }
    FileEntry e = {};
    if (!CopyName(e.FileName, sizeof e.FileName, fields[0]))
        return;
    if (!CopyName(e.AltName, sizeof e.AltName, fields[2]))
        e.AltName[0] = '\0';
    e.DirId = ParseDigits16(fields[1]);
    e.AltDirId = ParseDigits16(fields[3]);
    e.DiskId = ParseDigits16(fields[4]);
    TrimBlanks(rest);
    e.Flag = (rest[0] == 'Y' || rest[0] == 'y') ? 1 : 0;
    if (IsStyleFiltered(e.FileName)) {
        if (!TakeField(&rest) || !StyleTagPasses(TrimBlanks(rest)))
            return;
    }
    g_fileTable[g_logHeader.FileCount++] = e;
}

// item file, caption [, second file [, number]].
void ApplyPMItemLine(char* line)
{
    if (g_logHeader.PMItemCount >= kMaxPMItems)
        return;
    char* rest = line;
    char* file = TakeField(&rest);
    if (!file)
        return;  // a lone field names no item
    PMItemEntry e = {};
    const char* altFile = "";
    char* text = TakeField(&rest);
    if (!text) {
        text = rest;
    } else {
        char* alt = TakeField(&rest);
        if (alt) {
            altFile = TrimBlanks(alt);
            e.ItemNumber = ParseDigits16(TrimBlanks(rest));
        } else {
            altFile = TrimBlanks(rest);
        }
    }
    if (!CopyName(e.ItemFile, sizeof e.ItemFile, TrimBlanks(file)) ||
        !CopyName(e.ItemAltFile, sizeof e.ItemAltFile, altFile))
        return;
    CopyCut(e.ItemText, sizeof e.ItemText, TrimBlanks(text));
    g_pmItemTable[g_logHeader.PMItemCount++] = e;
}

// Cuts the next line out of the text in place and returns where the one
// after it starts. A line ends at a CR; the byte after the CR (normally the
// LF) is skipped whatever it is, but never the text's terminator. Lines are
// taken whole, however long: a line read in part could be taken for another
// entry, or drop an entry whose index matters.
char* NextLine(char* pos, char** line)
{
    *line = pos;
    char* end = std::strchr(pos, '\r');
    if (!end)
        return pos + std::strlen(pos);
    *end = '\0';
    char* next = end + 1;
    if (*next != '\0')
        ++next;
    return next;
}

}  // namespace

char* TrimBlanks(char* buffer)
{
    size_t start = 0;
    while (IsBlank(buffer[start]))
        ++start;
    size_t end = start + std::strlen(buffer + start);
    while (end > start && IsBlank(buffer[end - 1]))
        --end;
    std::memmove(buffer, buffer + start, end - start);
    buffer[end - start] = '\0';
    return buffer;
}

unsigned short ParseDigits16(const char* text)
{
    unsigned value = 0;
    for (; *text >= '0' && *text <= '9'; ++text)
        value = (value * 10 + static_cast<unsigned>(*text - '0')) & 0xFFFFu;
    return static_cast<unsigned short>(value);
}

int ParseDigits32(const char* text)
{
    unsigned long long value = 0;
    for (; *text >= '0' && *text <= '9'; ++text)
        value = (value * 10 + static_cast<unsigned>(*text - '0')) & 0xFFFFFFFFull;
    // Two's complement: the low 32 bits read as a signed number.
    return value >= 0x80000000ull ? static_cast<int>(static_cast<long long>(value) - 0x100000000ll)
                                  : static_cast<int>(value);
}

void ParseSetupLog(char* text)
{
    LogHeader& h = g_logHeader;
    h.AppName[0] = '\0';
    h.DefDir[0] = '\0';
    h.PMGroupPart1[0] = '\0';
    h.PMGroupPart2[0] = '\0';
    h.SpaceNeeded = 0;
    h.DiskCount = h.DirCount = h.FileCount = h.PMItemCount = 0;

    Section section = Section::kNone;
    char* pos = text;
    while (*pos != '\0' && section != Section::kEnd) {
        char* line;
        pos = NextLine(pos, &line);
        TrimBlanks(line);
        if (line[0] == '[') {
            section = SectionFromHeader(line);
            continue;
        }
        if (line[0] == ';' || line[0] == '\0')
            continue;
        switch (section) {
        case Section::kApplication: ApplyApplicationLine(line); break;
        case Section::kDisks: ApplyDiskLine(line); break;
        case Section::kDirs: ApplyDirLine(line); break;
        case Section::kFiles: ApplyFileLine(line); break;
        case Section::kPMInfo: ApplyPMItemLine(line); break;
        case Section::kNone:
        case Section::kEnd: break;
        }
    }
}

void ParseSetupLogFile(char* text, unsigned long bytesRead)
{
    if (bytesRead >= kLogReadLimit || std::strlen(text) < bytesRead) {
        char* lastCR = std::strrchr(text, '\r');
        if (lastCR)
            lastCR[1] = '\0';
        else
            text[0] = '\0';
    }
    ParseSetupLog(text);
}
