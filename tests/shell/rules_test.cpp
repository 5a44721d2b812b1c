// The shell's rules: main-window placement, the colour rule, the command-line
// word, the backdrop's bands and the path join.
#include <gtest/gtest.h>

#include <cstring>

#include "shell/rules.h"

TEST(Placement, EachRowOfTheTable)
{
    struct Row {
        const char* name;
        int numColors, horz, vert, left, top, right, bottom;
        PlaceRect expected;
    } rows[] = {
        {"colour 1024x768", -1, 1024, 768, 0, 0, 1024, 768, {0, 0, 1024, 768}},
        {"colour at the limit", 256, 440, 400, 0, 0, 440, 400, {0, 0, 440, 400}},
        {"colour too narrow", 16, 439, 768, 0, 0, 439, 768, {-30, 0, 500, 768}},
        {"colour 320x200", -1, 320, 200, 0, 0, 320, 200, {-90, 0, 500, 200}},
        // Odd widths round toward zero on both sides of zero.
        {"colour 321 wide", -1, 321, 200, 0, 0, 321, 200, {-89, 0, 500, 200}},
        {"monochrome 1024x768", 2, 1024, 768, 0, 0, 1024, 768, {110, 0, 824, 768}},
        {"monochrome small", 0, 320, 200, 0, 0, 320, 200, {110, 0, 120, 200}},
        {"monochrome offset desktop", 1, 1024, 768, 10, 5, 1034, 773, {120, 5, 824, 768}},
    };
    for (const Row& r : rows) {
        PlaceRect p = ChoosePlacement(IsColourDisplay(r.numColors), r.horz, r.vert, r.left,
                                      r.top, r.right, r.bottom);
        EXPECT_EQ(p.x, r.expected.x) << r.name;
        EXPECT_EQ(p.y, r.expected.y) << r.name;
        EXPECT_EQ(p.width, r.expected.width) << r.name;
        EXPECT_EQ(p.height, r.expected.height) << r.name;
    }
}

TEST(ColourRule, NegativeCountIsAColourDisplay)
{
    EXPECT_TRUE(IsColourDisplay(-1));  // more colours than a palette holds
    EXPECT_TRUE(IsColourDisplay(3));
    EXPECT_TRUE(IsColourDisplay(256));
    EXPECT_FALSE(IsColourDisplay(0));
    EXPECT_FALSE(IsColourDisplay(1));
    EXPECT_FALSE(IsColourDisplay(2));
}

TEST(CommandLine, OnlyTheWholeWordExternalMatches)
{
    EXPECT_TRUE(IsExternalTail("External"));
    EXPECT_TRUE(IsExternalTail("eXtErNaL"));
    EXPECT_TRUE(IsExternalTail("EXTERNAL"));
    EXPECT_FALSE(IsExternalTail("External "));
    EXPECT_FALSE(IsExternalTail("External x"));
    EXPECT_FALSE(IsExternalTail("Extern"));
    EXPECT_FALSE(IsExternalTail(""));
    EXPECT_FALSE(IsExternalTail(nullptr));
}

TEST(Backdrop, BandsRunFrom255DownTo1)
{
    EXPECT_EQ(BandBlue(0), 255);
    EXPECT_EQ(BandBlue(1), 253);
    EXPECT_EQ(BandBlue(kBackdropBands - 1), 1);
    EXPECT_EQ(kBackdropBands * kBandHeight, 512);
}

TEST(JoinPath, OneBackslashBetweenDirectoryAndName)
{
    char out[32];
    ASSERT_TRUE(JoinPath(out, sizeof out, "C:\\WINDOWS", "vorn.ini"));
    EXPECT_STREQ(out, "C:\\WINDOWS\\vorn.ini");
    ASSERT_TRUE(JoinPath(out, sizeof out, "C:\\", "vorn.ini"));
    EXPECT_STREQ(out, "C:\\vorn.ini");
}

TEST(JoinPath, RefusesInsteadOfCutting)
{
    char out[12];
    std::memset(out, 'x', sizeof out);
    EXPECT_FALSE(JoinPath(out, sizeof out, "C:\\WINDOWS", "vorn.ini"));
    EXPECT_STREQ(out, "");
    // Exactly fitting: 11 characters and the terminator.
    EXPECT_TRUE(JoinPath(out, sizeof out, "C:\\WINDOW", "a"));
    EXPECT_STREQ(out, "C:\\WINDOW\\a");
}
