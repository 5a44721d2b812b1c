// The shell's rules: main-window placement, the colour rule, the command-line
// word and the path join. The backdrop's bands are checked on the screen.
#include <gtest/gtest.h>

#include <cstring>
#include <tuple>

#include "shell/rules.h"

TEST(Placement, EachRowOfTheTable)
{
    const struct {
        const char* name;
        int numColors, horz, vert, left, top, right, bottom, x, y, width, height;
    } rows[] = {
        {"colour 1024x768", -1, 1024, 768, 0, 0, 1024, 768, 0, 0, 1024, 768},
        {"colour at the limit", 256, 440, 400, 0, 0, 440, 400, 0, 0, 440, 400},
        {"colour too narrow", 16, 439, 768, 0, 0, 439, 768, -30, 0, 500, 768},
        {"colour 320x200", -1, 320, 200, 0, 0, 320, 200, -90, 0, 500, 200},
        // Odd widths round toward zero on both sides of zero.
        {"colour 321 wide", -1, 321, 200, 0, 0, 321, 200, -89, 0, 500, 200},
        {"monochrome 1024x768", 2, 1024, 768, 0, 0, 1024, 768, 110, 0, 824, 768},
        {"monochrome offset desktop", 1, 1024, 768, 10, 5, 1034, 773, 120, 5, 824, 768},
    };
    for (const auto& r : rows) {
        PlaceRect p = ChoosePlacement(IsColourDisplay(r.numColors), r.horz, r.vert, r.left, r.top,
                                      r.right, r.bottom);
        EXPECT_EQ(std::make_tuple(p.x, p.y, p.width, p.height),
                  std::make_tuple(r.x, r.y, r.width, r.height)) << r.name;
    }
}

// Only 0 to 2 colours is monochrome; only the whole word External counts.
TEST(ColourRuleAndCommandLine, EachValue)
{
    for (int n : {-1, 3})  // -1: more colours than a palette holds
        EXPECT_TRUE(IsColourDisplay(n)) << n;
    for (int n : {0, 1, 2})
        EXPECT_FALSE(IsColourDisplay(n)) << n;
    for (const char* tail : {"External", "eXtErNaL"})
        EXPECT_TRUE(IsExternalTail(tail)) << tail;
    for (const char* tail : {"External ", "External x", "Extern", "", (const char*)nullptr})
        EXPECT_FALSE(IsExternalTail(tail)) << (tail ? tail : "(null)");
}

TEST(JoinPath, OneBackslashAndRefusingInsteadOfCutting)
{
    const struct { const char *dir, *name, *out; } rows[] = {  // out empty: refused
        {"C:\\WINDOW", "a", "C:\\WINDOW\\a"},  // exactly fits: 11 characters and the terminator
        {"C:\\", "vorn.ini", "C:\\vorn.ini"},
        {"C:\\WINDOWS", "a", ""}, {"", "a", "\\a"}, {"\\", "a", "\\a"},
    };
    for (const auto& r : rows) {
        char out[12];
        std::memset(out, 'x', sizeof out);
        EXPECT_EQ(JoinPath(out, sizeof out, r.dir, r.name), r.out[0] != '\0') << r.dir << r.name;
        EXPECT_STREQ(out, r.out) << r.dir << r.name;
    }
}

TEST(FormatText, WholeOrNothing)
{
    const struct { const char* format; int value; const char* out; int result; } rows[] = {
        {"a%sb%d%%", 42, "a[x]b42%", 8}, {"%d", -2147483647 - 1, "-2147483648", 11}, {"%d", 0, "0", 1},
        {"123456789012", 0, "", -1},  // 12 characters and the terminator do not fit 12 bytes
        {"12345678901", 0, "12345678901", 11}, {"%x", 1, "", -1}, {"%s%", 0, "", -1},
    };
    for (const auto& r : rows) {
        char out[13];
        std::memset(out, 'x', sizeof out);
        int n = std::strchr(r.format, 's') ? FormatText(out, 12, r.format, "[x]", r.value)
                                           : FormatText(out, 12, r.format, r.value);
        EXPECT_EQ(n, r.result) << r.format;
        EXPECT_STREQ(out, r.out) << r.format;
        EXPECT_EQ(out[12], 'x') << r.format;
    }
}
