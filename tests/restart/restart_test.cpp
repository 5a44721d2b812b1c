// What the system is asked to delete at the next restart.
#include <gtest/gtest.h>

#include <cstring>

#include "engine/restart.h"

TEST(RestartDeletion, NtQueuesTheUninstallerThenTheInstallDirectory)
{
    struct Row {
        const char* installDir;
        const char* uninstaller;
        const char* directory;
    } rows[] = {
        {"C:\\QOR4400", "C:\\QOR4400\\QORDELET.EXE", "C:\\QOR4400"},
        {"D:\\PKG\\", "D:\\PKG\\QORDELET.EXE", "D:\\PKG"},
    };
    for (const Row& r : rows) {
        char paths[2][kBatchTextSize];
        std::memset(paths, 'x', sizeof paths);
        ASSERT_EQ(RestartDeletionPaths("C:\\WINDOWS", r.installDir, 403, paths), 2) << r.installDir;
        EXPECT_STREQ(paths[0], r.uninstaller);
        EXPECT_STREQ(paths[1], r.directory);
    }
}

TEST(RestartDeletion, NothingWhereTheBatchDoesItOrWouldNotBeWritten)
{
    char paths[2][kBatchTextSize];
    // The Windows 95 family runs the batch.
    EXPECT_EQ(RestartDeletionPaths("C:\\WINDOWS", "C:\\QOR4400", 401, paths), 0);
    // A directory the batch refuses (a blank would split its command) is
    // not queued either, nor is a drive root.
    EXPECT_EQ(RestartDeletionPaths("C:\\WINDOWS", "C:\\QOR 4400", 403, paths), 0);
    EXPECT_EQ(RestartDeletionPaths("C:\\WINDOWS", "", 403, paths), 0);
}
