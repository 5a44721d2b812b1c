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
constexpr int kDirNameWidth = 30;
constexpr int kFileNameWidth = 50;

// One entry point for the whole setup log. Only the low 16 bits of `key`
// count. Operation 0 loads the log named by `text` (Windows build only):
// 0 loaded, 1 no memory, 2 cannot open.
int SetupLogQuery(unsigned long operation, unsigned long key, char* text);
