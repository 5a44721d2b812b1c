// Arbitrary bytes as a setup log: parsed as a read file would be, then every
// query asked with keys from the input into buffers of exactly the widths
// the queries document. Any read or write past a buffer, any table text
// without its terminator and any count above its capacity is a finding.
#include <cstdint>
#include <cstring>
#include <memory>

#include "../support/fuzz_text.h"
#include "base/base.h"
#include "setuplog/tables.h"

namespace {

// The width of the text each operation writes; the others write none.
const struct { unsigned long op; int width; } kWidths[] = {
    {kGetAppName, kAppNameWidth}, {kGetDefDir, kDefDirWidth}, {kGetDiskLabel, kDiskLabelWidth},
    {kGetFileDisk, kDiskLabelWidth}, {kGetDirName, kDirNameWidth}, {kGetFileAltDir, kDirNameWidth},
    {kGetFileDir, kDirNameWidth}, {kGetFileName, kFileNameWidth}, {kGetFileAltName, kAltNameWidth},
    {kGetPMGroupPart2, kPMGroupPart2Width}, {kGetPMGroupPart1, kPMGroupPart1Width},
    {kGetPMItemFile, kItemFileWidth}, {kGetPMItemAltFile, kItemFileWidth}, {kGetPMItemText, kItemTextWidth},
};

void CheckText(const char* field, size_t width) { Check(std::memchr(field, '\0', width) != nullptr); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // The first bytes choose the printer style and the keys; the rest is the log.
    if (size < 8)
        return 0;
    g_config.PrinterStyle = data[0] & 1 ? 50 : data[0];
    const uint8_t* keys = data + 1;
    data += 8;
    size = size - 8 < kLogReadLimit ? size - 8 : kLogReadLimit;

    std::unique_ptr<char[]> text(new char[size + 1]);
    std::memcpy(text.get(), data, size);
    text[size] = '\0';
    ParseSetupLogFile(text.get(), size);
    const LogHeader& h = g_logHeader;
    Check(h.DiskCount <= kMaxDisks && h.DirCount <= kMaxDirs && h.FileCount <= kMaxFiles &&
          h.PMItemCount <= kMaxPMItems);
    CheckText(h.AppName, sizeof h.AppName);
    CheckText(h.DefDir, sizeof h.DefDir);
    CheckText(h.PMGroupPart1, sizeof h.PMGroupPart1);
    CheckText(h.PMGroupPart2, sizeof h.PMGroupPart2);
    for (const FileEntry* f = g_fileTable; f < g_fileTable + h.FileCount; ++f) {
        CheckText(f->FileName, sizeof f->FileName);
        CheckText(f->AltName, sizeof f->AltName);
        Check(f->Flag == 0 || f->Flag == 1);
    }

    const unsigned long keySet[] = {keys[0], keys[1], static_cast<unsigned long>(keys[2]) << 8 | keys[3],
                                    static_cast<unsigned long>(keys[4]) << 16 | keys[5], 0xFFFFul, kMaxFiles};
    for (unsigned long op = 1; op <= 25; ++op) {
        int width = 0;
        for (const auto& w : kWidths)
            width = w.op == op ? w.width : width;
        for (unsigned long key : keySet) {
            if (op == kFindFileDir) {
                // A name taken from the log itself, in a buffer of its own size.
                size_t n = keys[6] % (size + 1);
                std::unique_ptr<char[]> name(new char[n + 1]);
                std::memcpy(name.get(), data, n);
                name[n] = '\0';
                SetupLogQuery(op, key, name.get());
            } else {
                std::unique_ptr<char[]> out(width > 0 ? new char[width] : nullptr);
                SetupLogQuery(op, key, out.get());
                if (width > 0)
                    CheckText(out.get(), width);
            }
        }
    }
    return 0;
}
