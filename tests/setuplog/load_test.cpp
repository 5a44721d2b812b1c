// Loading QVSETUP.INF under wine: a real file, the result of operation 0 and
// what the tables then hold.
#include <gtest/gtest.h>

#include <string>

#include "setuplog/setuplog.h"
#include "support/winsupport.h"

using namespace winsupport;

// Only the first 20480 bytes are read: the line that straddles the limit
// ("2=SUBDIRECTORY", cut after "2=S") is dropped rather than read as a cut
// name, and nothing after it is seen. A read-only file loads. A file that
// cannot be opened gives 2 and leaves the tables as they were.
TEST(Load, ResultsAndTheReadLimit)
{
    std::string path = TempFile("QVSETUP.INF");
    ASSERT_TRUE(WriteFileText(path, "[Dirs]\r\n1=FIRST\r\n" + std::string(20480 - 22, ';') +
                                        "\r\n2=SUBDIRECTORY\r\n3=X\r\n"));
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(SetupLogQuery(kLoadLog, 0, &path[0]), 0);
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(path.c_str());
    EXPECT_EQ(SetupLogQuery(kLoadLog, 0, &path[0]), 2);
    EXPECT_EQ(SetupLogQuery(kLoadLog, 0, nullptr), 2);
    char name[kDirNameWidth];
    SetupLogQuery(kGetDirName, 0, name);
    EXPECT_EQ(std::to_string(SetupLogQuery(kGetDirCount, 0, nullptr)) + " " + name, "1 FIRST");
}
