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
    "; written by the installer\r\n[Application]\r\nAppName=QOR Brackenfield 4400\r\n"
    "[Dirs]\r\n1=WINDOWS\r\n2=SYSTEM\r\n3=FONTS\r\n"
    "[Files]\r\nQ44PCL.DRV,2,,0,1,Y\r\nLOGO50.BMP,3,,0,1,N,50\r\nLOGO200.BMP,3,,0,1,N,200\r\n[End]\r\n";

std::string Ask(unsigned long op, unsigned long key)
{
    char buf[64];
    SetupLogQuery(op, key, buf);
    return buf;
}

// Each step loads a file (null text: none there) and checks the result and
// what the tables then hold: a failed load leaves the last log's tables.
TEST(Load, ResultsAndTables)
{
    char temp[MAX_PATH];
    ASSERT_NE(GetTempPathA(sizeof temp, temp), 0u);
    std::string path = std::string(temp) + "QVSETUP.INF";
    // Only the first 20480 bytes are read: the line that straddles the limit
    // is dropped rather than read as a cut name, and nothing after it is seen.
    std::string big = "[Dirs]\r\n1=FIRST\r\n" + std::string(20480 - 22, ';') + "\r\n2=SUBDIRECTORY\r\n";
    ASSERT_EQ(big.find("2=SUB"), 20480u - 3);
    struct Step { const char* name; const char* text; bool readOnly; int result, dirs; const char* dir0; };
    const Step steps[] = {
        {"real file, CR LF lines, style 50", kGoodLog.c_str(), false, 0, 3, "WINDOWS"},
        {"missing file", nullptr, false, 2, 3, "WINDOWS"},
        {"20480-byte limit", big.c_str(), false, 0, 1, "FIRST"},
        {"read-only file", kGoodLog.c_str(), true, 0, 3, "WINDOWS"},
    };
    g_config.PrinterStyle = 50;
    for (const Step& s : steps) {
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(path.c_str());
        if (s.text)
            ASSERT_TRUE(WriteFileText(path, s.text)) << s.name;
        if (s.readOnly)
            ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));
        EXPECT_EQ(SetupLogQuery(kLoadLog, 0, &path[0]), s.result) << s.name;
        EXPECT_EQ(SetupLogQuery(kGetDirCount, 0, nullptr), s.dirs) << s.name;
        EXPECT_EQ(Ask(kGetDirName, 0), s.dir0) << s.name;
    }
    EXPECT_EQ(Ask(kGetAppName, 0), "QOR Brackenfield 4400");
    ASSERT_EQ(SetupLogQuery(kGetFileCount, 0, nullptr), 2);
    EXPECT_EQ(Ask(kGetFileName, 1), "LOGO50.BMP");
    EXPECT_EQ(Ask(kGetFileDir, 0), "SYSTEM");
    EXPECT_EQ(SetupLogQuery(kLoadLog, 0, nullptr), 2);
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(path.c_str());
}

}  // namespace
