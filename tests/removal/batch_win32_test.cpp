// The deferred-deletion batch under wine: what winstart.bat holds after each
// case, that the user's own batch is never lost, and the batch run for real
// by wine's command interpreter.
#include <gtest/gtest.h>

#include <string>

#include "engine/removal.h"
#include "removal_support.h"
#include "shell/shell.h"

using namespace removaltest;

namespace {

const std::string kBlockStart =
    "@echo off\r\n"
    "if exist C:\\PKG\\QORDELET.EXE del C:\\PKG\\QORDELET.EXE\r\n"
    "if exist gauge32.dll del gauge32.dll\r\n"
    "if exist qvwpd.exe del qvwpd.exe\r\n"
    "if not exist C:\\PKG\\*.* rmdir C:\\PKG\r\n";

// A Windows directory of the test's own, so that these cases never touch
// the prefix's real winstart.bat.
class Batch : public ::testing::Test {
protected:
    const std::string win = "C:\\qortest_batch\\WIN";
    std::string batch = win + "\\winstart.bat";
    std::string old = win + "\\oldstart.bat";

    void SetUp() override
    {
        RemoveTree("C:\\qortest_batch");
        MakeDirs(win);
        g_config = ConfigRecord();
        lstrcpynA(g_config.WindowsDir, win.c_str(), sizeof g_config.WindowsDir);
        lstrcpynA(g_config.InstallDir, "C:\\PKG\\", sizeof g_config.InstallDir);
    }
    void TearDown() override { RemoveTree("C:\\qortest_batch"); }
    std::string OwnLastLine() const { return "del " + batch; }
    std::string WrapLines(const std::string& oldBatch) const
    {
        return "call " + oldBatch + "\r\nmove /y " + oldBatch + " " + batch;
    }
};

}  // namespace

TEST_F(Batch, CasesAAndBWriteAndExtendTheBlock)
{
    WriteDeferredDeletionBatch();
    EXPECT_EQ(Read(batch), kBlockStart + OwnLastLine());

    MakeFile(batch, "rem user\r\n" + kBlockStart + "DEL C:\\QORTEST_BATCH\\WIN\\WINSTART.BAT");
    WriteDeferredDeletionBatch();
    EXPECT_EQ(Read(batch), "rem user\r\n" + kBlockStart + kBlockStart + OwnLastLine());
    EXPECT_FALSE(Exists(old));

    // The search through the file handle: CR LF lines, LF only, none at all.
    std::string path = win + "\\search.txt";
    const struct {
        std::string text;
        long expected;
    } rows[] = {{"rem\r\ndel x\r\n", 10}, {"rem\ndel x\n", -1}, {"DEL X", 5}};
    for (const auto& r : rows) {
        MakeFile(path, r.text);
        OFSTRUCT of = {};
        HFILE file = OpenFile(path.c_str(), &of, OF_READ);
        ASSERT_NE(file, HFILE_ERROR);
        EXPECT_EQ(FindLineInFile(file, "del x"), r.expected) << r.text;
        _lclose(file);
    }
}

TEST_F(Batch, CaseCWrapsTheUsersBatchAndAgainWithoutLosingIt)
{
    const std::string users = "echo mine\r\ndel C:\\QORTEST_BATCH\\WIN\\winstart.bat.old\r\n";
    MakeFile(batch, users);
    WriteDeferredDeletionBatch();
    EXPECT_EQ(Read(old), users);
    EXPECT_EQ(Read(batch), kBlockStart + WrapLines(old));

    // Written again before a restart: our wrapper is extended, not wrapped
    // in turn (which would restore our old wrapper over the user's batch).
    WriteDeferredDeletionBatch();
    EXPECT_EQ(Read(old), users);
    EXPECT_EQ(Read(batch), kBlockStart + kBlockStart + WrapLines(old));
    EXPECT_FALSE(Exists(win + "\\oldstar1.bat"));
}

TEST_F(Batch, CaseCWithOldstartTakenUsesTheNextFreeName)
{
    MakeFile(old, "rem somebody else's\r\n");
    MakeFile(win + "\\oldstar1.bat", "rem also taken\r\n");
    MakeFile(batch, "echo mine\r\n");
    WriteDeferredDeletionBatch();
    std::string second = win + "\\oldstar2.bat";
    EXPECT_EQ(Read(second), "echo mine\r\n");
    EXPECT_EQ(Read(old), "rem somebody else's\r\n");
    EXPECT_EQ(Read(win + "\\oldstar1.bat"), "rem also taken\r\n");
    EXPECT_EQ(Read(batch), kBlockStart + WrapLines(second));

    // Every name taken: the user's winstart.bat stays exactly as it is.
    for (int i = 3; i <= 9; ++i)
        MakeFile(win + "\\oldstar" + std::to_string(i) + ".bat", "rem taken\r\n");
    MakeFile(second, "rem taken\r\n");
    MakeFile(batch, "echo mine\r\n");
    WriteDeferredDeletionBatch();
    EXPECT_EQ(Read(batch), "echo mine\r\n");
}

TEST_F(Batch, AUsersBatchThatCannotBeMovedAsideIsNeverTruncated)
{
    MakeFile(batch, "echo mine\r\n");
    // Open without delete sharing: readable and writable, but not renamed.
    HANDLE held = CreateFileA(batch.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    WriteDeferredDeletionBatch();
    CloseHandle(held);
    EXPECT_EQ(Read(batch), "echo mine\r\n");
    EXPECT_FALSE(Exists(old));
    EXPECT_FALSE(Exists(win + "\\oldstar1.bat"));
}

// The batch run by wine's cmd from C:\, in the prefix's Windows directory.
class BatchRun : public ::testing::Test {
protected:
    std::string win = winsupport::WindowsDir();
    std::string batch = win + "\\winstart.bat";
    std::string old = win + "\\oldstart.bat";
    const std::string pkg = "C:\\qortest_run\\PKG";
    std::string savedBatch;
    bool hadBatch = false;

    void SetUp() override
    {
        hadBatch = winsupport::ReadFileText(batch, &savedBatch);
        DeleteFileA(batch.c_str());
        ASSERT_FALSE(Exists(old)) << "the prefix holds an oldstart.bat of its own";
        RemoveTree("C:\\qortest_run");
        g_config = ConfigRecord();
        lstrcpynA(g_config.WindowsDir, win.c_str(), sizeof g_config.WindowsDir);
        lstrcpynA(g_config.InstallDir, pkg.c_str(), sizeof g_config.InstallDir);
        MakeFile(pkg + "\\QORDELET.EXE");
        MakeFile("C:\\gauge32.dll");
        MakeFile("C:\\qvwpd.exe");
    }
    void TearDown() override
    {
        DeleteFileA(batch.c_str());
        DeleteFileA(old.c_str());
        if (hadBatch)
            winsupport::WriteFileText(batch, savedBatch);
        DeleteFileA("C:\\gauge32.dll");
        DeleteFileA("C:\\qvwpd.exe");
        RemoveTree("C:\\qortest_run");
    }
    void Run()
    {
        char previous[MAX_PATH];
        GetCurrentDirectoryA(sizeof previous, previous);
        SetCurrentDirectoryA("C:\\");
        winsupport::Process cmd("cmd /c " + batch);
        SetCurrentDirectoryA(previous);
        ASSERT_TRUE(cmd.started);
        EXPECT_NE(cmd.WaitExit(30000), -1);
    }
    void ExpectFilesGone()
    {
        EXPECT_FALSE(Exists(pkg + "\\QORDELET.EXE"));
        EXPECT_FALSE(Exists("C:\\gauge32.dll"));
        EXPECT_FALSE(Exists("C:\\qvwpd.exe"));
    }
};

TEST_F(BatchRun, CasesAAndBDeleteTheFilesAndThemselves)
{
    for (int round = 0; round < 2; ++round) {
        WriteDeferredDeletionBatch();
        if (round == 1) {
            MakeFile(pkg + "\\QORDELET.EXE");  // case B: written over the first block
            MakeFile("C:\\gauge32.dll");
            MakeFile("C:\\qvwpd.exe");
            WriteDeferredDeletionBatch();
        }
        std::string text = Read(batch);
        // Lines that wine's cmd cannot show: it finds "." in an empty
        // directory, so the rmdir is checked by its text.
        EXPECT_NE(text.find("\r\nif not exist C:\\qortest_run\\PKG\\*.* rmdir C:\\qortest_run\\PKG\r\n"),
                  std::string::npos);
        Run();
        ExpectFilesGone();
        EXPECT_FALSE(Exists(batch)) << "round " << round;
    }
}

TEST_F(BatchRun, CaseCRunsTheUsersBatchOnceAndKeepsIt)
{
    const std::string users = "@echo off\r\necho ran>>C:\\qortest_run\\ran.txt\r\n";
    MakeFile(batch, users);
    WriteDeferredDeletionBatch();
    std::string text = Read(batch);
    // The move back over the running batch is refused by wine's cmd (it
    // keeps the batch open); Windows 95's interpreter carries it out.
    EXPECT_NE(text.find("\r\nmove /y " + old + " " + batch), std::string::npos);
    Run();
    ExpectFilesGone();
    EXPECT_EQ(Read("C:\\qortest_run\\ran.txt"), "ran\r\n");
    bool kept = Read(old) == users || Read(batch) == users;
    EXPECT_TRUE(kept) << "winstart.bat: " << Read(batch) << "\noldstart.bat: " << Read(old);
}
