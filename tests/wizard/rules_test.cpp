// The completion page's list and the DIB checks that stand between the page
// picture's resource and the GDI calls that read it.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <cstring>
#include <vector>

#include "wizard/rules.h"

namespace {

struct ListRow {
    int pcl, postScript, monitor;
    const char* expected;
};

const ListRow kListRows[] = {
    {1, 1, 1, "PCL Printer Driver\nPostScript Printer Driver\nPrint Monitor Software"},
    {0, 0, 0, ""},
    {0, 1, 0, "PostScript Printer Driver\n"},
    {1, 0, 0, "PCL Printer Driver\n"},
    {0, 0, 1, "Print Monitor Software"},
    {1, 0, 1, "PCL Printer Driver\nPrint Monitor Software"},
};

TEST(BuildRemovedList, FlagCombinations)
{
    for (const ListRow& row : kListRows) {
        char out[128];
        std::memset(out, 'X', sizeof out);
        EXPECT_TRUE(BuildRemovedList(out, sizeof out, row.pcl, row.postScript, row.monitor));
        EXPECT_STREQ(out, row.expected) << row.pcl << row.postScript << row.monitor;
    }
}

TEST(BuildRemovedList, RefusesABufferTooSmallAndLeavesItEmpty)
{
    char out[16];
    std::memset(out, 'X', sizeof out);
    // 67 characters with all three flags; one less than that plus the NUL.
    char fits[68];
    EXPECT_TRUE(BuildRemovedList(fits, sizeof fits, 1, 1, 1));
    EXPECT_EQ(std::strlen(fits), 67u);
    EXPECT_FALSE(BuildRemovedList(fits, 67, 1, 1, 1));
    EXPECT_STREQ(fits, "");
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

void Put32(std::vector<unsigned char>& v, std::size_t at, uint32_t x)
{
    for (int i = 0; i < 4; ++i)
        v[at + i] = static_cast<unsigned char>(x >> (8 * i));
}

std::vector<unsigned char> Make(const Dib& d)
{
    uint64_t stride = (static_cast<uint64_t>(d.width < 0 ? 0 : d.width) * d.bitCount + 31) / 32 * 4;
    uint64_t rows = d.height < 0 ? -static_cast<int64_t>(d.height) : d.height;
    uint64_t total = d.headerSize + 4u * d.tableEntries + stride * rows;
    if (total > (1u << 20))
        total = 40 + 4u * d.tableEntries;  // absurd sizes: header and table only
    std::vector<unsigned char> v(static_cast<std::size_t>(total - (d.cut < total ? d.cut : total)));
    if (v.size() < 40)
        v.resize(40);
    Put32(v, 0, d.headerSize);
    Put32(v, 4, static_cast<uint32_t>(d.width));
    Put32(v, 8, static_cast<uint32_t>(d.height));
    v[12] = static_cast<unsigned char>(d.planes);
    v[14] = static_cast<unsigned char>(d.bitCount);
    Put32(v, 16, d.compression);
    Put32(v, 32, d.coloursUsed);
    return v;
}

struct DibRow {
    const char* name;
    Dib dib;
    bool ok;
    int colours;
    std::size_t bitsOffset, bitsSize;
    int rows;
    bool bottomUp;
};

Dib With(void (*change)(Dib&))
{
    Dib d;
    change(d);
    return d;
}

const DibRow kDibRows[] = {
    {"LCNBMP", Dib(), true, 256, 40 + 1024, 120 * 225, 225, true},
    {"rows padded to 32 bits", With([](Dib& d) { d.width = 3; d.height = 2; }), true, 256,
     1064, 8, 2, true},
    {"1 bit, 33 wide", With([](Dib& d) { d.bitCount = 1; d.tableEntries = 2; d.width = 33; }),
     true, 2, 48, 8 * 225, 225, true},
    {"short colour table", With([](Dib& d) { d.coloursUsed = 16; d.tableEntries = 16; }), true,
     16, 40 + 64, 120 * 225, 225, true},
    {"24 bits: no table", With([](Dib& d) { d.bitCount = 24; d.tableEntries = 0; }), true, 0,
     40, 360 * 225, 225, true},
    {"top-down", With([](Dib& d) { d.height = -5; }), true, 256, 1064, 600, 5, false},
    {"larger header", With([](Dib& d) { d.headerSize = 124; }), true, 256, 124 + 1024,
     120 * 225, 225, true},
    {"last pixel byte missing", With([](Dib& d) { d.cut = 1; }), false, 0, 0, 0, 0, false},
    {"colour table cut", With([](Dib& d) { d.cut = 27000 + 1; }), false, 0, 0, 0, 0, false},
    {"used count above the table", With([](Dib& d) { d.coloursUsed = 300; }), true, 256, 1064,
     27000, 225, true},
    {"old 12-byte header", With([](Dib& d) { d.headerSize = 12; }), false, 0, 0, 0, 0, false},
    {"header larger than the data", With([](Dib& d) { d.headerSize = 0x7FFFFFF0; }), false, 0, 0, 0, 0, false},
    {"run-length encoded", With([](Dib& d) { d.compression = 1; }), false, 0, 0, 0, 0, false},
    {"7 bits per pixel", With([](Dib& d) { d.bitCount = 7; }), false, 0, 0, 0, 0, false},
    {"two planes", With([](Dib& d) { d.planes = 2; }), false, 0, 0, 0, 0, false},
    {"no width", With([](Dib& d) { d.width = 0; }), false, 0, 0, 0, 0, false},
    {"no height", With([](Dib& d) { d.height = 0; }), false, 0, 0, 0, 0, false},
    {"huge width", With([](Dib& d) { d.width = INT32_MAX; }), false, 0, 0, 0, 0, false},
    {"lowest height", With([](Dib& d) { d.height = INT32_MIN; }), false, 0, 0, 0, 0, false},
    {"rows far beyond the data", With([](Dib& d) { d.bitCount = 32; d.tableEntries = 0;
                                                    d.width = 32767; d.height = 32767; }),
     false, 0, 0, 0, 0, false},
};

TEST(ParseDibLayout, Table)
{
    for (const DibRow& row : kDibRows) {
        std::vector<unsigned char> data = Make(row.dib);
        DibLayout layout = {};
        bool ok = ParseDibLayout(data.data(), data.size(), &layout);
        ASSERT_EQ(ok, row.ok) << row.name;
        if (!ok)
            continue;
        EXPECT_EQ(layout.colours, row.colours) << row.name;
        EXPECT_EQ(layout.bitsOffset, row.bitsOffset) << row.name;
        EXPECT_EQ(layout.bitsSize, row.bitsSize) << row.name;
        EXPECT_EQ(layout.height, row.rows) << row.name;
        EXPECT_EQ(layout.bottomUp, row.bottomUp) << row.name;
        EXPECT_LE(layout.bitsOffset + layout.bitsSize, data.size()) << row.name;
    }
}

TEST(ParseDibLayout, ShortOrMissingData)
{
    std::vector<unsigned char> data = Make(Dib());
    DibLayout layout;
    EXPECT_FALSE(ParseDibLayout(nullptr, 100, &layout));
    for (std::size_t size : {0u, 4u, 39u})
        EXPECT_FALSE(ParseDibLayout(data.data(), size, &layout)) << size;
}

}  // namespace
