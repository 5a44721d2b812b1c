// Arbitrary bytes as a setup log: parsed as a read file would be, then every
// query asked with keys from the input into buffers of exactly the widths
// the queries document. Any read or write past a buffer, any table text
// without its terminator and any count above its capacity is a finding.
#include <cstdint>
#include <cstring>
#include <memory>

#include "../support/fuzz_text.h"
#include "setuplog/tables.h"
#include "shell/config.h"

namespace {

// Width of the text each operation writes; 0 for those that write none.
int WidthOf(unsigned long op)
{
    switch (op) {
    case kGetAppName: return kAppNameWidth;
    case kGetDefDir: return kDefDirWidth;
    case kGetDiskLabel:
    case kGetFileDisk: return kDiskLabelWidth;
    case kGetDirName:
    case kGetFileAltDir:
    case kGetFileDir: return kDirNameWidth;
    case kGetFileName: return kFileNameWidth;
    case kGetFileAltName: return kAltNameWidth;
    case kGetPMGroupPart2: return kPMGroupPart2Width;
    case kGetPMGroupPart1: return kPMGroupPart1Width;
    case kGetPMItemFile:
    case kGetPMItemAltFile: return kItemFileWidth;
    case kGetPMItemText: return kItemTextWidth;
    default: return 0;
    }
}

void CheckText(const char* field, size_t width)
{
    Check(std::memchr(field, '\0', width) != nullptr);
}

void CheckTables()
{
    const LogHeader& h = g_logHeader;
    Check(h.DiskCount <= kMaxDisks && h.DirCount <= kMaxDirs && h.FileCount <= kMaxFiles &&
          h.PMItemCount <= kMaxPMItems);
    CheckText(h.AppName, sizeof h.AppName);
    CheckText(h.DefDir, sizeof h.DefDir);
    CheckText(h.PMGroupPart1, sizeof h.PMGroupPart1);
    CheckText(h.PMGroupPart2, sizeof h.PMGroupPart2);
    for (int i = 0; i < h.FileCount; ++i) {
        const FileEntry& f = g_fileTable[i];
        CheckText(f.FileName, sizeof f.FileName);
        CheckText(f.AltName, sizeof f.AltName);
        Check(f.Flag == 0 || f.Flag == 1);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // The first bytes choose the printer style and the keys; the rest is the log.
    if (size < 8)
        return 0;
    g_config.PrinterStyle = data[0] & 1 ? 50 : data[0];
    uint8_t keys[7];
    std::memcpy(keys, data + 1, sizeof keys);
    data += 8;
    size -= 8;
    if (size > kLogReadLimit)
        size = kLogReadLimit;

    std::unique_ptr<char[]> text(new char[size + 1]);
    std::memcpy(text.get(), data, size);
    text[size] = '\0';
    ParseSetupLogFile(text.get(), size);
    CheckTables();

    const unsigned long keySet[] = {
        keys[0], keys[1], static_cast<unsigned long>(keys[2]) << 8 | keys[3],
        static_cast<unsigned long>(keys[4]) << 16 | keys[5], 0xFFFFul, kMaxFiles,
    };
    for (unsigned long op = 1; op <= 25; ++op) {
        for (unsigned long key : keySet) {
            int width = WidthOf(op);
            if (op == kFindFileDir) {
                // A name taken from the log itself, in a buffer of its own size.
                size_t n = keys[6] % (size + 1);
                std::unique_ptr<char[]> name(new char[n + 1]);
                std::memcpy(name.get(), data, n);
                name[n] = '\0';
                SetupLogQuery(op, key, name.get());
            } else if (width > 0) {
                std::unique_ptr<char[]> out(new char[width]);
                SetupLogQuery(op, key, out.get());
                CheckText(out.get(), width);
            } else {
                SetupLogQuery(op, key, nullptr);
            }
        }
    }
    return 0;
}
