// The batch's lines for each case, and the line search that finds the block
// of an earlier run.
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

const std::string kHead =  // lines 1 to 5 for C:\PKG
    "@echo off\r\n"
    "if exist C:\\PKG\\QORDELET.EXE del C:\\PKG\\QORDELET.EXE\r\n"
    "if exist gauge32.dll del gauge32.dll\r\n"
    "if exist qvwpd.exe del qvwpd.exe\r\n"
    "if not exist C:\\PKG\\*.* rmdir C:\\PKG\r\n";

struct Memory {
    std::string data;
    std::size_t at;
    long failAt;  // a read error at this offset
};

int ReadMemory(void* context)
{
    Memory* m = static_cast<Memory*>(context);
    if (m->failAt >= 0 && m->at == static_cast<std::size_t>(m->failAt))
        return kReadError;
    return m->at < m->data.size() ? static_cast<unsigned char>(m->data[m->at++]) : kEndOfInput;
}

}  // namespace

TEST(BatchText, CasesABAndCWithAndWithoutTrailingBackslashes)
{
    const struct {
        const char* windowsDir;
        const char* installDir;
        int oldChoice;  // -1: cases A and B, the block deletes the batch
        std::string expected;
    } rows[] = {
        {"C:\\WINDOWS", "C:\\PKG", -1, kHead + "del C:\\WINDOWS\\winstart.bat"},
        {"C:\\", "C:\\PKG\\", -1, kHead + "del C:\\winstart.bat"},
        {"C:\\WINDOWS", "C:\\PKG\\", 0,
         kHead + "call C:\\WINDOWS\\oldstart.bat\r\n"
                 "move /y C:\\WINDOWS\\oldstart.bat C:\\WINDOWS\\winstart.bat"},
        {"C:\\", "C:\\PKG", 0,
         kHead + "call C:\\oldstart.bat\r\nmove /y C:\\oldstart.bat C:\\winstart.bat"},
        {"C:\\WINDOWS", "C:\\PKG", 3,  // oldstart.bat taken
         kHead + "call C:\\WINDOWS\\oldstar3.bat\r\n"
                 "move /y C:\\WINDOWS\\oldstar3.bat C:\\WINDOWS\\winstart.bat"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(std::string(r.windowsDir) + " " + r.installDir + " " +
                     std::to_string(r.oldChoice));
        BatchPaths paths;
        ASSERT_TRUE(BuildBatchPaths(&paths, r.windowsDir, r.installDir));
        char old[kBatchTextSize];
        ASSERT_TRUE(r.oldChoice < 0 || BuildOldBatchPath(old, sizeof old, r.windowsDir, r.oldChoice));
        BatchBlock block;
        ASSERT_TRUE(BuildBatchBlock(&block, paths, r.oldChoice < 0 ? nullptr : old));
        EXPECT_EQ(block.count, r.oldChoice < 0 ? 6 : 7);
        EXPECT_EQ(Text(block), r.expected);
    }
    char out[kBatchTextSize];
    EXPECT_FALSE(BuildOldBatchPath(out, sizeof out, "C:\\WINDOWS", kOldBatchChoices));
}

TEST(BatchText, UnsafeOrOverlongPathsWriteNothing)
{
    BatchPaths paths;
    const std::string hugeWindows = "C:\\" + std::string(200, 'W');
    const char* unsafe[][2] = {
        {"C:\\WINDOWS", "C:\\PROGRAM FILES\\QOR"}, {"C:\\WIN DOWS", "C:\\PKG"},
        {"C:\\WINDOWS", "C:\\%TEMP%"},             {"C:\\WINDOWS", "C:\\A&B"},
        {"C:\\WINDOWS", ""},                       {"C:\\WINDOWS", "\\"},
        {hugeWindows.c_str(), "C:\\PKG"},
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
    ASSERT_TRUE(BuildBatchPaths(&paths, "C:\\WINDOWS", (fits + "P").c_str()));
    EXPECT_FALSE(BuildBatchBlock(&block, paths, nullptr));
    EXPECT_EQ(block.count, 0);
}

TEST(LineSearch, LineEndsLengthsAndReadErrors)
{
    const char* text = "del C:\\WINDOWS\\winstart.bat";
    const long n = static_cast<long>(std::strlen(text));
    const struct {
        const char* name;
        std::string data;
        long prefixEnd;  // -1: no line begins with the text
        long wholeEnd;   // -1: no line is the text
        long failAt;
    } rows[] = {
        {"CR LF, last line unterminated", std::string("@echo off\r\n") + text, 11 + n, 11 + n, -1},
        {"CR LF, terminated", std::string("rem\r\n") + text + "\r\nrem\r\n", 5 + n, 5 + n, -1},
        {"other letter case", "DEL C:\\windows\\WINSTART.BAT", n, n, -1},
        {"LF only: one long line", std::string("rem\n") + text + "\n", -1, -1, -1},
        {"LF only, text first", std::string(text) + "\nrem\n", n + 5, -1, -1},
        {"longer line", std::string(text) + ".old\r\n" + text, n + 4, n + 4 + 2 + n, -1},
        {"shorter line", "del C:\\WINDOWS\\winstart.ba", -1, -1, -1},
        {"empty file", "", -1, -1, -1},
        {"over-long line before", std::string(5000, 'x') + "\r\n" + text, 5002 + n, 5002 + n, -1},
        {"over-long matching line", std::string(text) + std::string(400, 'y'), n + 400, -1, -1},
        {"CR alone ends lines", std::string("rem\r") + text, 4 + n, 4 + n, -1},
        {"zero byte inside", std::string("del C:\\WIN\0OWS\\winstart.bat", 27), -1, -1, -1},
        {"read error before", std::string("rem\r\n") + text, -1, -1, 3},
        {"read error inside", std::string("rem\r\n") + text, -1, -1, 10},
    };
    for (const auto& r : rows) {
        Memory m{r.data, 0, r.failAt};
        long start = -2;
        EXPECT_EQ(FindLine(ReadMemory, &m, text, LineMatch::Prefix, &start), r.prefixEnd) << r.name;
        m.at = 0;
        long end = FindLine(ReadMemory, &m, text, LineMatch::Whole, &start);
        EXPECT_EQ(end, r.wholeEnd) << r.name;
        if (end >= 0)
            EXPECT_EQ(start, end - n) << r.name;
    }
    std::string huge(300, 'a');  // longer than a searched line: never found
    Memory m{huge, 0, -1};
    long start;
    EXPECT_EQ(FindLine(ReadMemory, &m, huge.c_str(), LineMatch::Prefix, &start), -1);
}
