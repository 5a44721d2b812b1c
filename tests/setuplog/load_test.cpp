// Loading QVSETUP.INF under wine: a real file, the result of operation 0 and
// what the tables then hold.
#include <gtest/gtest.h>

#include <string>

#include "setuplog/setuplog.h"
#include "support/winsupport.h"

using namespace winsupport;

// Only the first 20480 bytes are read: the line that straddles the limit is
// dropped rather than read as a cut name, and nothing after it is seen. A
// file that cannot be opened gives 2 and leaves the tables as they were.
TEST(Load, ResultsAndTheReadLimit)
{
    char temp[MAX_PATH];
    ASSERT_NE(GetTempPathA(sizeof temp, temp), 0u);
    std::string path = std::string(temp) + "QVSETUP.INF";
    std::string big = "[Dirs]\r\n1=FIRST\r\n" + std::string(20480 - 22, ';') + "\r\n2=SUBDIRECTORY\r\n3=X\r\n";
    ASSERT_EQ(big.find("2=SUB"), 20480u - 3);
    ASSERT_TRUE(WriteFileText(path, big));
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(SetupLogQuery(kLoadLog, 0, &path[0]), 0);
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(path.c_str());
    EXPECT_EQ(SetupLogQuery(kGetDirCount, 0, nullptr), 1);
    EXPECT_EQ(SetupLogQuery(kLoadLog, 0, &path[0]), 2);
    EXPECT_EQ(SetupLogQuery(kLoadLog, 0, nullptr), 2);
    char name[kDirNameWidth];
    SetupLogQuery(kGetDirName, 0, name);
    EXPECT_STREQ(name, "FIRST");
}
