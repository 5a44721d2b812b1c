// The wizard's pure rules, shared with the native tests and the fuzzer.
#include "wizard/rules.h"

#include "base/base.h"

bool BuildRemovedList(char* out, std::size_t size, int pclFlag, int postScriptFlag,
                      int monitorFlag)
{
    return FormatText(out, size, "%s%s%s", pclFlag == 1 ? "PCL Printer Driver\n" : "",
                      postScriptFlag == 1 ? "PostScript Printer Driver\n" : "",
                      monitorFlag == 1 ? "Print Monitor Software" : "") >= 0;
}

const char* RemovedSettingsText(int groupFlag)
{
    return groupFlag == 1 ? "Brackenfield Program Group\nPrinter Settings from Windows"
                          : "Printer Settings from Windows";
}

bool BuildRemainsText(char* out, std::size_t size, int waiting, int left, const char* leftIn)
{
    const char* later = waiting > 0 ? "Some files will be removed when Windows restarts." : "";
    if (left <= 0)
        return FormatText(out, size, "%s", later) >= 0;
    return FormatText(out, size, "%s%sSome of the package's files were left in %s.", later,
                      waiting > 0 ? "\n" : "", leftIn) >= 0;
}

int DibColourCount(int bitCount, uint32_t coloursUsed)
{
    if (bitCount < 1 || bitCount > 8)
        return 0;
    int full = 1 << bitCount;
    // A short table is allowed by the format; the pixels follow right after it.
    if (coloursUsed != 0 && coloursUsed < static_cast<uint32_t>(full))
        return static_cast<int>(coloursUsed);
    return full;
}

namespace {

uint32_t Read32(const unsigned char* p)
{
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

int Read16(const unsigned char* p)
{
    return p[0] | (p[1] << 8);
}

constexpr uint32_t kInfoHeaderSize = 40;
constexpr uint32_t kUncompressed = 0;  // BI_RGB
constexpr int kMaxSide = 32767;

}  // namespace

bool ParseDibLayout(const unsigned char* data, std::size_t size, DibLayout* layout)
{
    if (!data || size < kInfoHeaderSize)
        return false;
    uint32_t headerSize = Read32(data);
    if (headerSize < kInfoHeaderSize || headerSize > size)
        return false;
    auto width = static_cast<int32_t>(Read32(data + 4));
    auto height = static_cast<int32_t>(Read32(data + 8));
    int planes = Read16(data + 12);
    int bitCount = Read16(data + 14);
    uint32_t compression = Read32(data + 16);
    uint32_t coloursUsed = Read32(data + 32);

    if (planes != 1 || compression != kUncompressed)
        return false;
    if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 16 && bitCount != 24 &&
        bitCount != 32)
        return false;
    if (width <= 0 || width > kMaxSide || height == 0 || height < -kMaxSide || height > kMaxSide)
        return false;
    int rows = height < 0 ? -height : height;

    int colours = DibColourCount(bitCount, coloursUsed);
    uint64_t bitsOffset = static_cast<uint64_t>(headerSize) + 4u * static_cast<uint64_t>(colours);
    // Rows are padded to whole 32-bit words.
    uint64_t stride = (static_cast<uint64_t>(width) * bitCount + 31) / 32 * 4;
    uint64_t bitsSize = stride * static_cast<uint64_t>(rows);
    if (bitsOffset > size || bitsSize > size - bitsOffset)
        return false;

    layout->width = width;
    layout->height = rows;
    layout->bottomUp = height > 0;
    layout->bitCount = bitCount;
    layout->headerSize = headerSize;
    layout->colours = colours;
    layout->bitsOffset = static_cast<std::size_t>(bitsOffset);
    layout->bitsSize = static_cast<std::size_t>(bitsSize);
    return true;
}
