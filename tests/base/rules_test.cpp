// The ground floor's rules: the colour rule, the command line, the path join
// and the formatting.
#include <gtest/gtest.h>

#include <cstdarg>
#include <cstring>
#include <string>
#include <tuple>

#include "base/base.h"

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
    // No room at all: nothing is written, not even a terminator.
    char none = 'x';
    EXPECT_EQ(FormatText(&none, 0, "%s", "a"), -1);
    const char* empty = "";
    EXPECT_EQ(FormatText(&none, 0, empty), -1);
    EXPECT_EQ(none, 'x');
}

// Switches anywhere and in any case; External alone beside them, or the
// whole tail without them; a log path quoted or not; a log switch that
// names no usable path is marked, never taken cut.
TEST(CommandTail, SwitchesAndTheLogPath)
{
    const std::string long300(300, 'p');
    // Flags: e(xternal) u(nattended) r(estart) l(og) b(ad log); then the path.
    const struct { std::string tail, flags, path; } rows[] = {
        {"External", "e", ""}, {"External ", "", ""}, {"", "", ""},
        {"/S", "eu", ""}, {"/s /restart", "eur", ""}, {"/RESTART", "r", ""},
        {"/SX /LOGX", "", ""}, {"External x /LOG=a", "l", "a"},
        {"External /LOG=C:\\x.log", "el", "C:\\x.log"}, {"/log=C:\\x.log", "l", "C:\\x.log"},
        {"/S /LOG=C:\\some dir\\qor.log", "eul", "C:\\some dir\\qor.log"},
        {"/LOG=C:\\some  dir\\qor.log /S", "eul", "C:\\some  dir\\qor.log"},
        {"/LOG=C:\\a b External", "el", "C:\\a b"},
        {"/LOG=a b External", "el", "a b"}, {"/RESTARTRESTARTRESTART /SSSSSSSSSSSSSSSSSS", "", ""},
        {"/S /LOG=\"C:\\some dir\\qor.log\" External", "eul", "C:\\some dir\\qor.log"},
        {"/LOG=\"C:\\a\" b", "l", "C:\\a"},
        {"/LOG=", "lb", ""}, {"/LOG", "lb", ""}, {"/LOG=\"C:\\open", "lb", ""},
        {"/LOG=C:\\" + long300, "lb", ""},
        // The longest path the field holds, at the very end of the tail.
        {"/S /LOG=C:\\" + std::string(kLogPathSize - 4, 'q'), "eul", "C:\\" + std::string(kLogPathSize - 4, 'q')},
        {"/S /LOG=C:\\" + std::string(kLogPathSize - 3, 'q'), "eulb", ""},
        // Unquoted words that together fill the word buffer to its last byte.
        {"/LOG=" + std::string(100, 'a') + " " + std::string(162, 'b'), "lb", ""},
    };
    for (const auto& r : rows) {
        CommandOptions o;
        std::memset(o.logPath, 'x', sizeof o.logPath);
        ParseCommandTail(r.tail.c_str(), &o);
        std::string flags = std::string(o.external ? "e" : "") + (o.unattended ? "u" : "") +
                            (o.restart ? "r" : "") + (o.log ? "l" : "") + (o.logBad ? "b" : "");
        EXPECT_EQ(flags, r.flags) << r.tail;
        EXPECT_EQ(std::string(o.logPath), r.path) << r.tail;
    }
    CommandOptions none;
    ParseCommandTail(nullptr, &none);
    EXPECT_FALSE(none.external || none.unattended || none.log);
}

// Every piece arrives, however long: nothing goes through a fixed buffer.
TEST(StreamFormat, PiecesWhole)
{
    const std::string big(10000, 'b');
    std::string out;
    auto put = [](void* context, const char* text, std::size_t length) {
        static_cast<std::string*>(context)->append(text, length);
    };
    auto format = [&](const char* f, ...) {
        out.clear();
        va_list args;
        va_start(args, f);
        StreamFormatV(put, &out, f, args);
        va_end(args);
        return out;
    };
    EXPECT_EQ(format("a %s b %d%% %l|%q", big.c_str(), -12, "line\r\nnext"), "a " + big + " b -12% line|%q");
    EXPECT_EQ(format("%l.%s.", "\n", (const char*)nullptr), "..");
    EXPECT_EQ(format("end %"), "end %");
}
