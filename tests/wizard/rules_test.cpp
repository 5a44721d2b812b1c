// The completion page's list and the DIB checks that stand between the page
// picture's resource and the GDI calls that read it.
#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <cstdint>
#include <cstring>
#include <vector>

#include "wizard/rules.h"

namespace {

TEST(BuildRemovedList, FlagCombinationsAndABufferTooSmall)
{
    struct {
        int pcl, postScript, monitor;
        const char* expected;
    } rows[] = {
        {1, 1, 1, "PCL Printer Driver\nPostScript Printer Driver\nPrint Monitor Software"},
        {0, 0, 0, ""},
        {0, 1, 0, "PostScript Printer Driver\n"},
        {1, 0, 0, "PCL Printer Driver\n"},
        {0, 0, 1, "Print Monitor Software"},
        {1, 0, 1, "PCL Printer Driver\nPrint Monitor Software"},
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
    EXPECT_STREQ(out, "");
    std::memset(out, 'X', sizeof out);
    EXPECT_FALSE(BuildRemovedList(out, 10, 1, 0, 0));
    EXPECT_STREQ(out, "");
    EXPECT_EQ(out[10], 'X');
}

// A packed DIB: header of `headerSize` bytes, `tableEntries` colour entries
// and the pixel rows, cut by `cut` bytes at the end.
struct Dib {
    uint32_t headerSize = 40;
    int32_t width = 120, height = 225;
    int planes = 1, bitCount = 8;
    uint32_t compression = 0, coloursUsed = 0;
    int tableEntries = 256;
    std::size_t cut = 0;
};

std::vector<unsigned char> Make(const Dib& d)
{
    uint64_t stride = (static_cast<uint64_t>(d.width < 0 ? 0 : d.width) * d.bitCount + 31) / 32 * 4;
    uint64_t rows = d.height < 0 ? -static_cast<int64_t>(d.height) : d.height;
    uint64_t total = d.headerSize + 4u * d.tableEntries + stride * rows;
    if (total > (1u << 20))
        total = 40 + 4u * d.tableEntries;  // absurd sizes: header and table only
    std::vector<unsigned char> v(static_cast<std::size_t>(total - (d.cut < total ? d.cut : total)));
    v.resize(v.size() < 40 ? 40 : v.size());
    auto put32 = [&v](std::size_t at, uint32_t x) {
        for (int i = 0; i < 4; ++i)
            v[at + i] = static_cast<unsigned char>(x >> (8 * i));
    };
    put32(0, d.headerSize);
    put32(4, static_cast<uint32_t>(d.width));
    put32(8, static_cast<uint32_t>(d.height));
    v[12] = static_cast<unsigned char>(d.planes);
    v[14] = static_cast<unsigned char>(d.bitCount);
    put32(16, d.compression);
    put32(32, d.coloursUsed);
    return v;
}

Dib With(void (*change)(Dib&))
{
    Dib d;
    change(d);
    return d;
}

// Accepted rows give the layout; refused ones (ok false) leave the rest 0.
// That an accepted layout lies inside the data is the fuzz target's check.
TEST(ParseDibLayout, Table)
{
    struct {
        const char* name;
        Dib dib;
        bool ok;
        int colours;
        std::size_t bitsOffset, bitsSize;
        bool bottomUp;
    } rows[] = {
        {"rows padded to 32 bits", With([](Dib& d) { d.width = 3; d.height = 2; }), true, 256,
         1064, 8, true},
        {"1 bit, 33 wide", With([](Dib& d) { d.bitCount = 1; d.tableEntries = 2; d.width = 33; }),
         true, 2, 48, 8 * 225, true},
        {"short colour table", With([](Dib& d) { d.coloursUsed = 16; d.tableEntries = 16; }), true,
         16, 40 + 64, 120 * 225, true},
        {"used count above the table", With([](Dib& d) { d.coloursUsed = 300; }), true, 256, 1064,
         27000, true},
        {"24 bits: no table", With([](Dib& d) { d.bitCount = 24; d.tableEntries = 0; }), true, 0,
         40, 360 * 225, true},
        {"top-down", With([](Dib& d) { d.height = -5; }), true, 256, 1064, 600, false},
        {"larger header", With([](Dib& d) { d.headerSize = 124; }), true, 256, 1148, 27000, true},
        {"last pixel byte missing", With([](Dib& d) { d.cut = 1; }), false, 0, 0, 0, false},
        {"old 12-byte header", With([](Dib& d) { d.headerSize = 12; }), false, 0, 0, 0, false},
        {"run-length encoded", With([](Dib& d) { d.compression = 1; }), false, 0, 0, 0, false},
        {"7 bits per pixel", With([](Dib& d) { d.bitCount = 7; }), false, 0, 0, 0, false},
        {"two planes", With([](Dib& d) { d.planes = 2; }), false, 0, 0, 0, false},
        {"no width", With([](Dib& d) { d.width = 0; }), false, 0, 0, 0, false},
        {"huge width", With([](Dib& d) { d.width = INT32_MAX; }), false, 0, 0, 0, false},
        {"lowest height", With([](Dib& d) { d.height = INT32_MIN; }), false, 0, 0, 0, false},
    };
    for (const auto& row : rows) {
        std::vector<unsigned char> data = Make(row.dib);
        DibLayout layout = {};
        ASSERT_EQ(ParseDibLayout(data.data(), data.size(), &layout), row.ok) << row.name;
        if (row.ok) {
            EXPECT_EQ(layout.colours, row.colours) << row.name;
            EXPECT_EQ(layout.bitsOffset, row.bitsOffset) << row.name;
            EXPECT_EQ(layout.bitsSize, row.bitsSize) << row.name;
            EXPECT_EQ(layout.bottomUp, row.bottomUp) << row.name;
            EXPECT_EQ(layout.height, std::abs(row.dib.height)) << row.name;
        }
    }
    std::vector<unsigned char> whole = Make(Dib());
    DibLayout layout;
    EXPECT_FALSE(ParseDibLayout(nullptr, 100, &layout));
    for (std::size_t size : {0u, 4u, 39u})
        EXPECT_FALSE(ParseDibLayout(whole.data(), size, &layout)) << "header cut to " << size;
}

}  // namespace
