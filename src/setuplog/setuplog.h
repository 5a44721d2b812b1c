// The setup log QVSETUP.INF: read into program-wide tables, answered through
// numbered queries. Other subsystems never touch the tables directly.
#pragma once

// Operation numbers of SetupLogQuery.
enum SetupLogOperation : unsigned long {
    kLoadLog = 0,
    kGetAppName = 1,
    kGetDefDir = 2,
    kGetSpaceNeeded = 3,
    kGetDiskCount = 4,
    kGetDiskLabel = 5,
    kFindDisk = 6,
    kGetDirCount = 7,
    kGetDirName = 8,
    kFindDir = 9,
    kGetFileCount = 10,
    kGetFileName = 11,
    kGetFileAltName = 12,
    kGetFileAltDir = 13,
    kGetFileDir = 14,
    kGetFileDisk = 15,
    kGetFileFlag = 16,
    kFindFileDir = 17,
    kGetPMGroupPart2 = 18,
    kGetPMGroupPart1 = 19,
    kGetPMItemCount = 20,
    kGetPMItemFile = 21,
    kGetPMItemText = 22,
    kGetPMItemAltFile = 23,
};

// Widths of the text fields (bytes, terminator included): a buffer that
// receives a copy must hold the field's full width.
constexpr int kAppNameWidth = 40;
constexpr int kDefDirWidth = 68;
constexpr int kPMGroupPart1Width = 14;
constexpr int kPMGroupPart2Width = 30;
constexpr int kDiskLabelWidth = 50;
constexpr int kDirNameWidth = 30;
constexpr int kFileNameWidth = 50;
constexpr int kAltNameWidth = 14;
constexpr int kItemFileWidth = 14;
constexpr int kItemTextWidth = 30;

// Results of kLoadLog.
constexpr int kLogLoaded = 0;
constexpr int kLogNoMemory = 1;
constexpr int kLogCannotOpen = 2;

// One entry point for the whole setup log. Only the low 16 bits of `key`
// count. Operation 0 loads the log named by `text` (Windows build only; the
// host build has no loader and answers kLogCannotOpen): 0 loaded, 1 no
// memory, 2 cannot open. Operations above 23 return 0 and leave `text` alone.
// An index at or above its table's capacity answers 0 and an empty text; a
// file whose directory or disk is not listed gets an empty name from
// operations 13, 14 and 15 (their result is still the identifier).
int SetupLogQuery(unsigned long operation, unsigned long key, char* text);
