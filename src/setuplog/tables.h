// The setup log's in-memory tables and the parser that fills them. Private to
// the setup log subsystem: everyone else asks through SetupLogQuery.
#pragma once

#include "setuplog/setuplog.h"

constexpr int kMaxDisks = 16;
constexpr int kMaxDirs = 32;
constexpr int kMaxFiles = 512;
constexpr int kMaxPMItems = 32;

// At most this much of the file is read; the rest is never seen.
constexpr unsigned long kLogReadLimit = 20480;

struct LogHeader {
    char AppName[kAppNameWidth];
    char DefDir[kDefDirWidth];
    int SpaceNeeded;
    char PMGroupPart1[kPMGroupPart1Width];
    char PMGroupPart2[kPMGroupPart2Width];
    unsigned short DiskCount;
    unsigned short DirCount;
    unsigned short FileCount;
    unsigned short PMItemCount;
};

struct DiskEntry {
    unsigned short Id;
    char Label[kDiskLabelWidth];
};

struct DirEntry {
    unsigned short Id;
    char Name[kDirNameWidth];
};

struct FileEntry {
    char FileName[kFileNameWidth];
    char AltName[kAltNameWidth];
    unsigned short AltDirId;
    unsigned short DiskId;
    unsigned short DirId;
    int Flag;
};

struct PMItemEntry {
    char ItemFile[kItemFileWidth];
    char ItemText[kItemTextWidth];
    char ItemAltFile[kItemFileWidth];
    unsigned short ItemNumber;
};

extern LogHeader g_logHeader;
extern DiskEntry g_diskTable[kMaxDisks];
extern DirEntry g_dirTable[kMaxDirs];
extern FileEntry g_fileTable[kMaxFiles];
extern PMItemEntry g_pmItemTable[kMaxPMItems];

// Removes spaces and tabs (only those) from both ends, moving the rest to the
// start of the buffer; returns the buffer.
char* TrimBlanks(char* buffer);

// The log's digit rule: digits from the first character on, no sign, no
// blanks; the first other character ends the number. Wraps modulo 2^16 and
// 2^32 respectively.
unsigned short ParseDigits16(const char* text);
int ParseDigits32(const char* text);

// Parses a zero-terminated log text in place (it writes zero bytes into it)
// into the tables. The printer style that selects the style-filtered [Files]
// lines is g_config.PrinterStyle.
void ParseSetupLog(char* text);

// Parses what was read from the log file: `bytesRead` bytes in `text`,
// followed by a zero byte. When the read stopped at kLogReadLimit or the text
// holds a zero byte, the text was cut short and its last, unfinished line is
// dropped: it could end inside a name.
void ParseSetupLogFile(char* text, unsigned long bytesRead);

// Operations 1 to 23 of SetupLogQuery, which is this plus the load; any other
// operation returns 0 and leaves `text` alone.
int AnswerSetupLogQuery(unsigned long operation, unsigned long key, char* text);
