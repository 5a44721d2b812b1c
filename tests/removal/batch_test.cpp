// The batch's paths and lines for each case, and the line search that finds
// the block of an earlier run.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "engine/removal_batch.h"

namespace {

std::string Text(const BatchBlock& block)
{
    std::string text;
    for (int i = 0; i < block.count; ++i)
        text += block.lines[i];
    return text;
}

struct Memory {
    std::string data;
    std::size_t at = 0;
    long failAt = -1;  // a read error at this offset
};

int ReadMemory(void* context)
{
    Memory* m = static_cast<Memory*>(context);
    if (m->failAt >= 0 && m->at == static_cast<std::size_t>(m->failAt))
        return kReadError;
    if (m->at >= m->data.size())
        return kEndOfInput;
    return static_cast<unsigned char>(m->data[m->at++]);
}

long Find(const std::string& data, const char* text, LineMatch match, long* start = nullptr,
          long failAt = -1)
{
    Memory m{data, 0, failAt};
    long s;
    long end = FindLine(ReadMemory, &m, text, match, &s);
    if (start)
        *start = s;
    return end;
}

}  // namespace

TEST(BatchText, CasesAAndBWithAndWithoutTrailingBackslashes)
{
    struct Row {
        const char* windowsDir;
        const char* installDir;
        const char* expected;
    } rows[] = {
        {"C:\\WINDOWS", "C:\\PKG",
         "@echo off\r\n"
         "if exist C:\\PKG\\QORDELET.EXE del C:\\PKG\\QORDELET.EXE\r\n"
         "if exist gauge32.dll del gauge32.dll\r\n"
         "if exist qvwpd.exe del qvwpd.exe\r\n"
         "if not exist C:\\PKG\\*.* rmdir C:\\PKG\r\n"
         "del C:\\WINDOWS\\winstart.bat"},
        {"C:\\", "D:\\PKG\\",
         "@echo off\r\n"
         "if exist D:\\PKG\\QORDELET.EXE del D:\\PKG\\QORDELET.EXE\r\n"
         "if exist gauge32.dll del gauge32.dll\r\n"
         "if exist qvwpd.exe del qvwpd.exe\r\n"
         "if not exist D:\\PKG\\*.* rmdir D:\\PKG\r\n"
         "del C:\\winstart.bat"},
    };
    for (const Row& r : rows) {
        BatchPaths paths;
        ASSERT_TRUE(BuildBatchPaths(&paths, r.windowsDir, r.installDir)) << r.windowsDir;
        BatchBlock block;
        ASSERT_TRUE(BuildBatchBlock(&block, paths, nullptr));
        EXPECT_EQ(block.count, 6);
        EXPECT_EQ(Text(block), r.expected) << r.windowsDir;
    }
}

TEST(BatchText, CaseCCallsTheUsersBatchAndMovesItBack)
{
    struct Row {
        const char* windowsDir;
        int choice;
        const char* lastLines;
    } rows[] = {
        {"C:\\WINDOWS", 0,
         "call C:\\WINDOWS\\oldstart.bat\r\nmove /y C:\\WINDOWS\\oldstart.bat "
         "C:\\WINDOWS\\winstart.bat"},
        {"C:\\", 0, "call C:\\oldstart.bat\r\nmove /y C:\\oldstart.bat C:\\winstart.bat"},
        {"C:\\WINDOWS", 3,
         "call C:\\WINDOWS\\oldstar3.bat\r\nmove /y C:\\WINDOWS\\oldstar3.bat "
         "C:\\WINDOWS\\winstart.bat"},
    };
    const std::string firstFive =
        "@echo off\r\n"
        "if exist C:\\PKG\\QORDELET.EXE del C:\\PKG\\QORDELET.EXE\r\n"
        "if exist gauge32.dll del gauge32.dll\r\n"
        "if exist qvwpd.exe del qvwpd.exe\r\n"
        "if not exist C:\\PKG\\*.* rmdir C:\\PKG\r\n";
    for (const Row& r : rows) {
        BatchPaths paths;
        ASSERT_TRUE(BuildBatchPaths(&paths, r.windowsDir, "C:\\PKG\\"));
        char oldBatch[kBatchTextSize];
        ASSERT_TRUE(BuildOldBatchPath(oldBatch, sizeof oldBatch, r.windowsDir, r.choice));
        BatchBlock block;
        ASSERT_TRUE(BuildBatchBlock(&block, paths, oldBatch));
        EXPECT_EQ(block.count, 7);
        EXPECT_EQ(Text(block), firstFive + r.lastLines) << r.windowsDir << " " << r.choice;

        // The same two lines are what marks a file as an earlier wrapper.
        std::string file = "rem user\r\n" + Text(block);
        std::size_t tail = 0;
        EXPECT_TRUE(EndsWithWrapLines(file.data(), file.size(), true, paths, oldBatch, &tail));
        EXPECT_EQ(tail, std::strlen(r.lastLines));
    }
    char out[kBatchTextSize];
    EXPECT_FALSE(BuildOldBatchPath(out, sizeof out, "C:\\WINDOWS", kOldBatchChoices));
}

TEST(BatchText, WrapLinesMustStartALineAndEndTheFile)
{
    BatchPaths paths;
    ASSERT_TRUE(BuildBatchPaths(&paths, "C:\\WINDOWS", "C:\\PKG"));
    const char* old = "C:\\WINDOWS\\oldstart.bat";
    const std::string tail =
        "call C:\\WINDOWS\\oldstart.bat\r\nmove /y C:\\WINDOWS\\oldstart.bat C:\\WINDOWS\\winstart.bat";
    const struct {
        std::string data;
        bool wholeFile, expected;
    } rows[] = {
        {tail, true, true},
        {tail, false, false},  // cannot tell whether a line starts there
        {"x\n" + tail, false, true},
        {"rem " + tail, true, false},
        {tail + "\r\n", true, false},
        {"CALL C:\\windows\\OLDSTART.BAT\r\nMOVE /Y c:\\windows\\oldstart.bat c:\\windows\\WINSTART.BAT",
         true, true},
    };
    for (const auto& r : rows) {
        std::size_t n = 0;
        EXPECT_EQ(EndsWithWrapLines(r.data.data(), r.data.size(), r.wholeFile, paths, old, &n),
                  r.expected)
            << r.data.substr(0, 8);
    }
}

TEST(BatchText, UnsafeOrOverlongPathsWriteNothing)
{
    BatchPaths paths;
    const char* unsafe[][2] = {
        {"C:\\WINDOWS", "C:\\PROGRAM FILES\\QOR"}, {"C:\\WIN DOWS", "C:\\PKG"},
        {"C:\\WINDOWS", "C:\\%TEMP%"},             {"C:\\WINDOWS", "C:\\A&B"},
        {"C:\\WINDOWS", ""},                       {"C:\\WINDOWS", "\\"},
    };
    for (const auto& row : unsafe)
        EXPECT_FALSE(BuildBatchPaths(&paths, row[0], row[1])) << row[0] << " " << row[1];

    // Line 2 is the longest: 16 characters besides the uninstaller path
    // twice must fit 143. A 50-character install directory gives 63 each.
    BatchBlock block;
    std::string fits = "C:\\" + std::string(47, 'P');
    ASSERT_TRUE(BuildBatchPaths(&paths, "C:\\WINDOWS", fits.c_str()));
    ASSERT_TRUE(BuildBatchBlock(&block, paths, nullptr));
    EXPECT_EQ(std::strlen(block.lines[1]), 16u + 2 * 63);
    std::string tooLong = fits + "P";
    ASSERT_TRUE(BuildBatchPaths(&paths, "C:\\WINDOWS", tooLong.c_str()));
    EXPECT_FALSE(BuildBatchBlock(&block, paths, nullptr));
    EXPECT_EQ(block.count, 0);

    std::string hugeWindows = "C:\\" + std::string(200, 'W');
    EXPECT_FALSE(BuildBatchPaths(&paths, hugeWindows.c_str(), "C:\\PKG"));
}

TEST(LineSearch, LineEndsAndLengths)
{
    const char* text = "del C:\\WINDOWS\\winstart.bat";
    const long n = static_cast<long>(std::strlen(text));
    struct Row {
        const char* name;
        std::string data;
        long prefixEnd;  // -1: no line begins with the text
        long wholeEnd;   // -1: no line is the text
    } rows[] = {
        {"CR LF, last line unterminated", std::string("@echo off\r\n") + text, 11 + n, 11 + n},
        {"CR LF, terminated", std::string("rem\r\n") + text + "\r\nrem\r\n", 5 + n, 5 + n},
        {"other letter case", "DEL C:\\windows\\WINSTART.BAT", n, n},
        {"LF only: one long line", std::string("rem\n") + text + "\n", -1, -1},
        {"LF only, text first", std::string(text) + "\nrem\n", n + 5, -1},
        {"longer line", std::string(text) + ".old\r\n" + text, n + 4, n + 4 + 2 + n},
        {"shorter line", "del C:\\WINDOWS\\winstart.ba", -1, -1},
        {"empty file", "", -1, -1},
        {"over-long line before", std::string(5000, 'x') + "\r\n" + text, 5002 + n, 5002 + n},
        {"over-long matching line", std::string(text) + std::string(400, 'y'), n + 400, -1},
        {"CR alone ends lines", std::string("rem\r") + text, 4 + n, 4 + n},
        {"zero byte inside", std::string("del C:\\WIN\0OWS\\winstart.bat", 27), -1, -1},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(Find(r.data, text, LineMatch::Prefix), r.prefixEnd) << r.name;
        long start = -2;
        long end = Find(r.data, text, LineMatch::Whole, &start);
        EXPECT_EQ(end, r.wholeEnd) << r.name;
        if (end >= 0) {
            EXPECT_EQ(start, end - n) << r.name;
        }
    }
}

TEST(LineSearch, ReadErrorAndTextsThatCannotMatch)
{
    const char* text = "del C:\\WINDOWS\\winstart.bat";
    std::string data = std::string("rem\r\n") + text;
    EXPECT_EQ(Find(data, text, LineMatch::Prefix, nullptr, 3), -1);
    EXPECT_EQ(Find(data, text, LineMatch::Prefix, nullptr, 10), -1);
    // A whole line with a stray LF inside is not the exact text.
    EXPECT_EQ(Find("del C:\\WINDOWS\\win\nstart.bat", text, LineMatch::Whole), -1);
    std::string huge(300, 'a');
    EXPECT_EQ(Find(huge, huge.c_str(), LineMatch::Prefix), -1);
}
