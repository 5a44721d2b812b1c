// The completion page's lines and the DIB checks that stand between the page
// picture's resource and the GDI calls that read it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstdint>
#include <cstring>
#include <tuple>
#include <vector>

#include "wizard/rules.h"

namespace {

TEST(BuildRemovedList, FlagCombinationsAndABufferTooSmall)
{
    const struct { int pcl, postScript, monitor; const char* expected; } rows[] = {
        {1, 1, 1, "PCL Printer Driver\nPostScript Printer Driver\nPrint Monitor Software"},
        {0, 0, 0, ""}, {1, 0, 0, "PCL Printer Driver\n"}, {0, 1, 0, "PostScript Printer Driver\n"},
        {0, 0, 1, "Print Monitor Software"},
    };
    char out[128];
    for (const auto& row : rows) {
        std::memset(out, 'X', sizeof out);
        EXPECT_TRUE(BuildRemovedList(out, sizeof out, row.pcl, row.postScript, row.monitor));
        EXPECT_STREQ(out, row.expected) << row.pcl << row.postScript << row.monitor;
    }
    // 67 characters with all three flags: 68 bytes fit, 67 are refused and
    // left empty; nothing is written past the size given.
    EXPECT_TRUE(BuildRemovedList(out, 68, 1, 1, 1));
    std::memset(out, 'X', sizeof out);
    EXPECT_FALSE(BuildRemovedList(out, 67, 1, 1, 1));
    EXPECT_EQ(std::make_pair(out[0], out[67]), std::make_pair('\0', 'X'));
    EXPECT_STREQ(RemovedSettingsText(1),
                 "Brackenfield Program Group\nPrinter Settings from Windows");
    EXPECT_STREQ(RemovedSettingsText(0), "Printer Settings from Windows");
}

// Nothing remains: no line. What waits for the restart comes first, then
// what was left and where; a line that does not fit is none.
TEST(BuildRemainsText, WaitingLeftBothAndNeither)
{
    const struct { int waiting, left; const char* expected; } rows[] = {
        {0, 0, ""}, {2, 0, "Some files will be removed when Windows restarts."},
        {0, 1, "Some of the package's files were left in C:\\QOR4400\\BIN."},
        {1, 3, "Some files will be removed when Windows restarts.\n"
               "Some of the package's files were left in C:\\QOR4400\\BIN."},
    };
    char out[160];
    for (const auto& row : rows) {
        std::memset(out, 'X', sizeof out);
        EXPECT_TRUE(BuildRemainsText(out, sizeof out, row.waiting, row.left, "C:\\QOR4400\\BIN"));
        EXPECT_STREQ(out, row.expected) << row.waiting << " " << row.left;
    }
    EXPECT_FALSE(BuildRemainsText(out, 40, 1, 0, ""));
    EXPECT_STREQ(out, "");
}

// Rows: a packed DIB of a header of `header` bytes, `table` colour entries
// and the pixel rows (none for absurd sizes); whether it is accepted, and
// then the layout. An accepted one must be refused when cut by a byte, or to
// less than a header.
TEST(ParseDibLayout, Table)
{
    const struct {
        const char* name; uint32_t header; int32_t width, height; int planes, bits;
        uint32_t compression, used; int table; bool ok; int colours = 0;
        std::size_t bitsOffset = 0, bitsSize = 0;
    } rows[] = {
        {"1 bit, rows padded to 32 bits", 40, 33, 225, 1, 1, 0, 0, 2, true, 2, 48, 8 * 225},
        {"24 bits: no table, padded", 40, 3, 225, 1, 24, 0, 0, 0, true, 0, 40, 12 * 225},
        {"4 bits", 40, 3, 225, 1, 4, 0, 0, 16, true, 16, 104, 4 * 225},
        {"16 bits", 40, 3, 225, 1, 16, 0, 0, 0, true, 0, 40, 8 * 225},
        {"32 bits", 40, 3, 225, 1, 32, 0, 0, 0, true, 0, 40, 12 * 225},
        {"short colour table", 40, 120, 225, 1, 8, 0, 16, 16, true, 16, 104, 27000},
        {"used count above the table", 40, 120, 225, 1, 8, 0, 300, 256, true, 256, 1064, 27000},
        {"top-down", 40, 120, -5, 1, 8, 0, 0, 256, true, 256, 1064, 600},
        {"larger header", 124, 120, 225, 1, 8, 0, 0, 256, true, 256, 1148, 27000},
        {"old 12-byte header", 12, 120, 225, 1, 8, 0, 0, 256, false},
        {"run-length encoded", 40, 120, 225, 1, 8, 1, 0, 256, false},
        {"7 bits per pixel", 40, 120, 225, 1, 7, 0, 0, 128, false},
        {"two planes", 40, 120, 225, 2, 8, 0, 0, 256, false},
        {"no width", 40, 0, 225, 1, 8, 0, 0, 256, false},
        {"huge width", 40, INT32_MAX, 225, 1, 8, 0, 0, 256, false},
        {"widest", 40, 32767, 1, 1, 8, 0, 0, 256, true, 256, 1064, 32768},
        {"wider", 40, 32768, 1, 1, 8, 0, 0, 256, false},
        {"tallest", 40, 1, 32767, 1, 8, 0, 0, 256, true, 256, 1064, 4 * 32767},
        {"tallest, top-down", 40, 1, -32767, 1, 8, 0, 0, 256, true, 256, 1064, 4 * 32767},
        {"taller", 40, 1, 32768, 1, 8, 0, 0, 256, false},
        {"taller, top-down", 40, 1, -32768, 1, 8, 0, 0, 256, false},
        {"lowest height", 40, 120, INT32_MIN, 1, 8, 0, 0, 256, false},
    };
    for (const auto& r : rows) {
        uint64_t stride = (uint64_t(r.width > 0 ? r.width : 0) * r.bits + 31) / 32 * 4;
        uint64_t size = r.header + 4u * r.table + stride * uint64_t(std::llabs(r.height));
        std::vector<unsigned char> dib(size > (1u << 20) ? 40 + 4u * r.table : size);
        const uint32_t fields[] = {r.header, uint32_t(r.width), uint32_t(r.height),
                                   uint32_t(r.planes | r.bits << 16), r.compression, 0, 0, 0,
                                   r.used};
        std::memcpy(dib.data(), fields, sizeof fields);  // little-endian, as the format is
        DibLayout layout = {};
        ASSERT_EQ(ParseDibLayout(dib.data(), dib.size(), &layout), r.ok) << r.name;
        if (!r.ok)
            continue;
        EXPECT_EQ(std::make_tuple(layout.colours, layout.bitsOffset, layout.bitsSize,
                                  layout.bottomUp, layout.height),
                  std::make_tuple(r.colours, r.bitsOffset, r.bitsSize, r.height > 0,
                                  std::abs(r.height))) << r.name;
        for (std::size_t cut : {dib.size() - 1, std::size_t(39), std::size_t(3), std::size_t(0)}) {
            std::vector<unsigned char> part(dib.begin(), dib.begin() + cut);  // no byte beyond
            EXPECT_FALSE(ParseDibLayout(part.data(), cut, &layout)) << r.name << " cut to " << cut;
        }
        EXPECT_FALSE(ParseDibLayout(nullptr, dib.size(), &layout)) << r.name;
    }
}

}  // namespace
