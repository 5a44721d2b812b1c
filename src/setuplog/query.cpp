// The numbered questions about the setup log (operations 1 to 23 of
// SetupLogQuery). Portable; the load, operation 0, lives in load_win32.cpp.
#include <cstring>

#include "base/base.h"
#include "setuplog/tables.h"

namespace {

// Low half of operation 23's result when its name is not a file entry.
constexpr unsigned kNotFoundLow16 = 0xFFFFu;

// Copies a table text (always shorter than its field) into the caller's
// buffer, which holds the field's full width.
void PutText(char* text, const char* value)
{
    if (text)
        std::memcpy(text, value, std::strlen(value) + 1);
}

// The backward searches: the highest index whose Id matches, or -1.
int FindDisk(unsigned short id)
{
    for (int i = g_logHeader.DiskCount; i > 0; --i) {
        if (g_diskTable[i - 1].Id == id)
            return i - 1;
    }
    return -1;
}

int FindDir(unsigned short id)
{
    for (int i = g_logHeader.DirCount; i > 0; --i) {
        if (g_dirTable[i - 1].Id == id)
            return i - 1;
    }
    return -1;
}

// The first file entry of that name (any case); then the directory entry of
// its second directory, or -1.
int FindFileDir(const char* name)
{
    if (!name)
        return -1;
    for (int i = 0; i < g_logHeader.FileCount; ++i) {
        if (CompareNoCase(g_fileTable[i].FileName, name) == 0)
            return FindDir(g_fileTable[i].AltDirId);
    }
    return -1;
}

const char* DirNameOf(unsigned short id)
{
    int found = FindDir(id);
    return found >= 0 ? g_dirTable[found].Name : "";
}

const char* DiskLabelOf(unsigned short id)
{
    int found = FindDisk(id);
    return found >= 0 ? g_diskTable[found].Label : "";
}

// Operations 11 to 16 on file entry `index`.
int FileQuery(unsigned long operation, unsigned index, char* text)
{
    if (index >= static_cast<unsigned>(kMaxFiles)) {
        if (operation != kGetFileFlag)
            PutText(text, "");
        return 0;
    }
    const FileEntry& f = g_fileTable[index];
    switch (operation) {
    case kGetFileName: PutText(text, f.FileName); return 0;
    case kGetFileAltName: PutText(text, f.AltName); return 0;
    case kGetFileAltDir: PutText(text, DirNameOf(f.AltDirId)); return f.AltDirId;
    case kGetFileDir: PutText(text, DirNameOf(f.DirId)); return f.DirId;
    case kGetFileDisk: PutText(text, DiskLabelOf(f.DiskId)); return f.DiskId;
    default: return f.Flag;  // kGetFileFlag
    }
}

// Operations 21 to 23 on Program Manager item `index`.
int PMItemQuery(unsigned long operation, unsigned index, char* text)
{
    if (index >= static_cast<unsigned>(kMaxPMItems)) {
        PutText(text, "");
        return 0;
    }
    const PMItemEntry& item = g_pmItemTable[index];
    switch (operation) {
    case kGetPMItemFile:
        PutText(text, item.ItemFile);
        return FindFileDir(item.ItemFile);
    case kGetPMItemText:
        PutText(text, item.ItemText);
        return 0;
    default: {  // kGetPMItemAltFile
        const char* name = item.ItemAltFile[0] ? item.ItemAltFile : item.ItemFile;
        PutText(text, name);
        unsigned low = static_cast<unsigned>(FindFileDir(name)) & kNotFoundLow16;
        unsigned long long both = (static_cast<unsigned long long>(item.ItemNumber) << 16) | low;
        // The item number fills the high half, so the result may read negative.
        return both >= 0x80000000ull ? static_cast<int>(static_cast<long long>(both) - 0x100000000ll)
                                     : static_cast<int>(both);
    }
    }
}

}  // namespace

int AnswerSetupLogQuery(unsigned long operation, unsigned long key, char* text)
{
    const unsigned short key16 = static_cast<unsigned short>(key & 0xFFFFu);
    const LogHeader& h = g_logHeader;
    switch (operation) {
    case kGetAppName: PutText(text, h.AppName); return 0;
    case kGetDefDir: PutText(text, h.DefDir); return 0;
    case kGetSpaceNeeded: return h.SpaceNeeded;
    case kGetDiskCount: return h.DiskCount;
    case kGetDiskLabel:
        PutText(text, key16 < kMaxDisks ? g_diskTable[key16].Label : "");
        return 0;
    case kFindDisk: return FindDisk(key16);
    case kGetDirCount: return h.DirCount;
    case kGetDirName:
        PutText(text, key16 < kMaxDirs ? g_dirTable[key16].Name : "");
        return 0;
    case kFindDir: return FindDir(key16);
    case kGetFileCount: return h.FileCount;
    case kGetFileName:
    case kGetFileAltName:
    case kGetFileAltDir:
    case kGetFileDir:
    case kGetFileDisk:
    case kGetFileFlag: return FileQuery(operation, key16, text);
    case kFindFileDir: return FindFileDir(text);
    case kGetPMGroupPart2: PutText(text, h.PMGroupPart2); return 0;
    case kGetPMGroupPart1: PutText(text, h.PMGroupPart1); return 0;
    case kGetPMItemCount: return h.PMItemCount;
    case kGetPMItemFile:
    case kGetPMItemText:
    case kGetPMItemAltFile: return PMItemQuery(operation, key16, text);
    default: return 0;
    }
}

#ifndef _WIN32
// Host builds (native tests, fuzzing) read no files: the log is given to
// ParseSetupLog as text, and a load request finds nothing to open. The
// Windows build's SetupLogQuery is in load_win32.cpp.
int SetupLogQuery(unsigned long operation, unsigned long key, char* text)
{
    if (operation == kLoadLog)
        return kLogCannotOpen;
    return AnswerSetupLogQuery(operation, key, text);
}
#endif
