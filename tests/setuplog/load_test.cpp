// Loading QVSETUP.INF under wine: real files in a scratch folder, the result
// of operation 0 and what the queries answer afterwards.
#include <gtest/gtest.h>

#include <string>

#include "setuplog/setuplog.h"
#include "shell/config.h"
#include "support/winsupport.h"

using namespace winsupport;

namespace {

const std::string kGoodLog =
    "; written by the installer\r\n"
    "[Application]\r\nAppName=QOR Brackenfield 4400\r\nDefDir=C:\\QOR4400\r\n"
    "[Dirs]\r\n1=WINDOWS\r\n2=SYSTEM\r\n3=FONTS\r\n"
    "[Files]\r\nQ44PCL.DRV,2,,0,1,Y\r\nLOGO50.BMP,3,,0,1,N,50\r\nLOGO200.BMP,3,,0,1,N,200\r\n"
    "[End]\r\n";

class Load : public ::testing::Test {
protected:
    std::string dir_;

    void SetUp() override
    {
        char temp[MAX_PATH];
        GetTempPathA(sizeof temp, temp);
        dir_ = std::string(temp) + "qor_setuplog_test\\";
        CreateDirectoryA(dir_.c_str(), nullptr);
        g_config.PrinterStyle = 0;
    }
    void TearDown() override
    {
        for (const char* name : {"QVSETUP.INF", "BIG.INF", "EMPTY.INF"}) {
            std::string path = dir_ + name;
            SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            DeleteFileA(path.c_str());
        }
        RemoveDirectoryA(dir_.c_str());
    }

    int LoadFile(const std::string& name, const std::string& text)
    {
        std::string path = dir_ + name;
        EXPECT_TRUE(WriteFileText(path, text)) << path;
        return SetupLogQuery(kLoadLog, 0, &path[0]);
    }
};

std::string Ask(unsigned long op, unsigned long key, int width)
{
    std::string buf(width, '#');
    SetupLogQuery(op, key, &buf[0]);
    return buf.c_str();
}

TEST_F(Load, RealFileWithCrLfLines)
{
    g_config.PrinterStyle = 50;
    ASSERT_EQ(LoadFile("QVSETUP.INF", kGoodLog), kLogLoaded);
    EXPECT_EQ(Ask(kGetAppName, 0, kAppNameWidth), "QOR Brackenfield 4400");
    EXPECT_EQ(SetupLogQuery(kGetDirCount, 0, nullptr), 3);
    ASSERT_EQ(SetupLogQuery(kGetFileCount, 0, nullptr), 2);
    EXPECT_EQ(Ask(kGetFileName, 1, kFileNameWidth), "LOGO50.BMP");
    EXPECT_EQ(Ask(kGetFileDir, 0, kDirNameWidth), "SYSTEM");
}

TEST_F(Load, MissingFileLeavesTheTablesAlone)
{
    ASSERT_EQ(LoadFile("QVSETUP.INF", kGoodLog), kLogLoaded);
    std::string missing = dir_ + "MISSING.INF";
    EXPECT_EQ(SetupLogQuery(kLoadLog, 0, &missing[0]), kLogCannotOpen);
    EXPECT_EQ(SetupLogQuery(kLoadLog, 0, nullptr), kLogCannotOpen);
    EXPECT_EQ(SetupLogQuery(kGetFileCount, 0, nullptr), 2);
    EXPECT_EQ(Ask(kGetFileName, 1, kFileNameWidth), "LOGO200.BMP");
}

TEST_F(Load, ReadOnlyAndEmptyFiles)
{
    std::string path = dir_ + "QVSETUP.INF";
    ASSERT_TRUE(WriteFileText(path, kGoodLog));
    ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));
    ASSERT_EQ(SetupLogQuery(kLoadLog, 0, &path[0]), kLogLoaded);
    EXPECT_EQ(SetupLogQuery(kGetDirCount, 0, nullptr), 3);

    // An empty log loads and empties the tables.
    EXPECT_EQ(LoadFile("EMPTY.INF", ""), kLogLoaded);
    EXPECT_EQ(SetupLogQuery(kGetDirCount, 0, nullptr), 0);
    EXPECT_EQ(Ask(kGetAppName, 0, kAppNameWidth), "");
}

// Only the first 20480 bytes are read: a line that straddles the limit is
// dropped rather than read as a cut name, and nothing after it is seen.
TEST_F(Load, ReadStopsAt20480Bytes)
{
    const std::string head = "[Dirs]\r\n1=FIRST\r\n";
    std::string text = head;
    while (text.size() < 20480 - 100)
        text += "; filler to push the rest past the read limit\r\n";
    text += std::string(20480 - 5 - text.size(), ';') + "\r\n";
    text += "2=SUBDIRECTORY\r\n3=THIRD\r\n[End]\r\n";
    ASSERT_EQ(text.find("2=SUB"), 20480u - 3);
    ASSERT_EQ(LoadFile("BIG.INF", text), kLogLoaded);
    EXPECT_EQ(SetupLogQuery(kGetDirCount, 0, nullptr), 1);
    EXPECT_EQ(Ask(kGetDirName, 0, kDirNameWidth), "FIRST");
}

}  // namespace
