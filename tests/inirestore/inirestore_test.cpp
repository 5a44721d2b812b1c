// The settings restore under wine, on the prefix's real SYSTEM.INI and
// WIN.INI: the compressed copy, both passes byte for byte, the profile
// writes in their order, and the failures that must leave the old content.
// The restore's two writers are this test's own (linked in their place), so
// that a write can fail as on a full disk.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "inirestore/inirestore.h"
#include "shell/config.h"
#include "support/winsupport.h"

using namespace winsupport;

namespace {

std::string InWindows(const char* name) { return WindowsDir() + "\\" + name; }

std::string Read(const std::string& path)
{
    std::string text;
    return ReadFileText(path, &text) ? text : "<missing>";
}

std::string Profile(const char* section, const char* key)
{
    char text[1024];
    GetProfileStringA(section, key, "<none>", text, sizeof text);
    return text;
}

// Writes that succeed before one fails (-1: none fails), for each writer.
int g_textWrites = -1;
int g_profileWrites = -1;
// Every profile write: section, key and value ("-" for null), and whether
// the file pass had already taken the entry only it removes out of WIN.INI.
std::vector<std::string> g_profileCalls;
constexpr char kPassMarker[] = "QOR.PS=x";

}  // namespace

bool WriteIniText(const char* text, std::size_t length, void* file)
{
    if (g_textWrites == 0)
        return false;
    if (g_textWrites > 0)
        --g_textWrites;
    return std::fwrite(text, 1, length, static_cast<std::FILE*>(file)) == length;
}

bool WriteProfileValue(const char* section, const char* key, const char* value)
{
    std::string call = std::string(section ? section : "-") + "|" + (key ? key : "-") + "|" +
                       (value ? value : "-");
    if (Read(InWindows("WIN.INI")).find(kPassMarker) == std::string::npos)
        call += " after the pass";
    g_profileCalls.push_back(call);
    if (g_profileWrites == 0)
        return false;
    if (g_profileWrites > 0)
        --g_profileWrites;
    return WriteProfileStringA(section, key, value) != 0;
}

namespace {

bool WorkCopyLeft()
{
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA(InWindows("QOR*.TMP").c_str(), &data);
    return find != INVALID_HANDLE_VALUE && FindClose(find);
}

// A file of the Windows directory, put back (or removed again) at the end.
struct SavedFile {
    std::string path, text;
    bool existed;
    explicit SavedFile(const char* name) : path(InWindows(name)) { existed = ReadFileText(path, &text); }
    ~SavedFile() { existed ? (void)WriteFileText(path, text) : (void)DeleteFileA(path.c_str()); }
};

// A [windows] entry (kept in the registry), put back at the end.
struct SavedEntry {
    const char* key;
    std::string text;
    explicit SavedEntry(const char* k) : key(k), text(Profile("windows", k)) {}
    ~SavedEntry() { WriteProfileStringA("windows", key, text == "<none>" ? nullptr : text.c_str()); }
};

class IniRestore : public ::testing::Test {
protected:
    SavedFile systemIni{"SYSTEM.INI"}, winIni{"WIN.INI"}, system000{"SYSTEM.000"}, win000{"WIN.000"};
    SavedEntry device{"device"}, run{"run"};

    void SetUp() override
    {
        g_config = ConfigRecord();
        g_textWrites = g_profileWrites = -1;
        g_profileCalls.clear();
    }
    void TearDown() override { EXPECT_FALSE(WorkCopyLeft()) << "a work copy was left behind"; }
};

TEST_F(IniRestore, CopyCompressedFileExpandsOrCopiesByteForByte)
{
    std::string data = BinDir() + "inirestore-data\\", destination = InWindows("QORCOPY.INI"),
                plain = Read(data + "sample.ini");
    ASSERT_GT(plain.size(), 16u);
    ASSERT_NE(Read(data + "sample.ini_"), plain) << "the sample is not compressed";
    struct Row { std::string source, destination; int result; std::string content; } rows[] = {
        {data + "sample.ini_", destination, 1, plain}, {data + "sample.ini", destination, 1, plain},
        {data + "nothere.ini", destination, 0, "old content"},
        {data + "sample.ini", InWindows("nodir\\QORCOPY.INI"), 0, "old content"},
    };
    for (const Row& row : rows) {
        ASSERT_TRUE(WriteFileText(destination, "old content"));
        EXPECT_EQ(CopyCompressedFile(row.source.c_str(), row.destination.c_str()), row.result) << row.source;
        EXPECT_EQ(Read(destination), row.content) << row.source;
    }
    DeleteFileA(destination.c_str());
}

const char kPackageSystemIni[] = "[386Enh]\r\nVornLPT=LPT1\r\ndevice=*vmm\r\n[boot]\r\nx=1\r\n";
const char kWinIniBefore[] =
    "[windows]\r\nQOR.GDI=1\r\n[Devices]\r\n;first printer follows\r\n"
    "QOR Brackenfield 4400=QOR4400,LPT1:\r\nOffice Printer=PSCRIPT,LPT2:\r\n"
    "[QOR Brackenfield 4400,LPT1:]\r\n\r\npaper=1\r\n[ports]\r\nLPT1:=\r\nqor.gdi=2\n[intl]\r\nx=VORNPS";

// Both passes byte for byte, with mixed line ends, a line longer than any
// buffer and a last line without an end, and their .000 copies.
TEST_F(IniRestore, PassesAreByteExact)
{
    const std::string longLine = "long=" + std::string(300, 'v') + "\r\n";
    struct Row { int (*pass)(); SavedFile *ini, *copy; std::string before, after; } rows[] = {
        {RestoreSystemIni, &systemIni, &system000,
         "[boot]\r\nVornLPT=LPT1\r\n[386Enh]\r\n  device=*vmm  \r\nVornLPT=LPT1\n"
         "device=C:\\WINDOWS\\SYSTEM\\VORNVMI.386\r\n\t;device=vpd.386\r\n" + longLine +
         "[NonWindowsApp]\r\ndevice=vornvmi.386\r\nlast=1",
         "[boot]\r\nVornLPT=LPT1\r\n[386Enh]\r\n  device=*vmm  \r\ndevice=vpd.386\r\n" + longLine +
         "[NonWindowsApp]\r\ndevice=vornvmi.386\r\nlast=1"},
        {RestoreSystemIni, &systemIni, &system000, "", ""},
        {RestoreWinIni, &winIni, &win000, kWinIniBefore,
         "[windows]\r\nQOR.GDI=1\r\n[Devices]\r\n;first printer follows\r\nOffice Printer=PSCRIPT,LPT2:\r\n"
         "[ports]\r\nLPT1:=\r\n[intl]\r\nx=VORNPS"},
    };
    for (const Row& row : rows) {
        ASSERT_TRUE(WriteFileText(row.ini->path, row.before));
        ASSERT_TRUE(WriteFileText(row.copy->path, "an older copy"));
        EXPECT_EQ(row.pass(), 1) << row.ini->path;
        EXPECT_EQ(Read(row.ini->path), row.after) << row.ini->path;
        EXPECT_EQ(Read(row.copy->path), row.before) << row.copy->path;
    }
    // The default printer is the first one left in the rewritten [Devices].
    EXPECT_STREQ(g_config.DefaultDevice, "Office Printer,PSCRIPT,LPT2:");
    EXPECT_EQ(Profile("windows", "device"), "Office Printer,PSCRIPT,LPT2:");
}

// Each fault leaves both files, the default printer and no work copy behind.
// SYSTEM.INI held open by another program stands for a read-only file (Wine
// running as root opens one for writing all the same); held unshared, it
// cannot even be copied to a work copy.
TEST_F(IniRestore, FailedPassesLeaveTheOldContent)
{
    constexpr DWORD kNotHeld = ~0u;
    struct Row {
        const char* name;
        int (*pass)();
        DWORD share;     // SYSTEM.INI held open with this sharing
        int textWrites;  // lines written before the writer fails; -1: none fails
    } rows[] = {
        {"held open for reading", RestoreSystemIni, FILE_SHARE_READ, -1},
        {"held unshared: no work copy", RestoreSystemIni, 0, -1},
        {"first write fails", RestoreSystemIni, kNotHeld, 0},
        {"third write fails", RestoreSystemIni, kNotHeld, 2},
        {"WIN.INI write fails", RestoreWinIni, kNotHeld, 3},
        {"the whole restore stops at SYSTEM.INI", RestoreIniFiles, FILE_SHARE_READ, -1},
    };
    ASSERT_TRUE(WriteProfileStringA("windows", "device", "Keep Me,PSCRIPT,LPT1:"));
    for (const Row& row : rows) {
        ASSERT_TRUE(WriteFileText(systemIni.path, kPackageSystemIni));
        ASSERT_TRUE(WriteFileText(winIni.path, kWinIniBefore));
        HANDLE lock = row.share == kNotHeld ? INVALID_HANDLE_VALUE
                                            : CreateFileA(systemIni.path.c_str(), GENERIC_READ, row.share,
                                                          nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_EQ(lock == INVALID_HANDLE_VALUE, row.share == kNotHeld) << row.name;
        g_textWrites = row.textWrites;
        EXPECT_EQ(row.pass(), 0) << row.name;
        g_textWrites = -1;
        if (lock != INVALID_HANDLE_VALUE)
            CloseHandle(lock);
        EXPECT_EQ(Read(systemIni.path), kPackageSystemIni) << row.name;
        EXPECT_EQ(Read(winIni.path), kWinIniBefore) << row.name;
        EXPECT_EQ(Profile("windows", "device"), "Keep Me,PSCRIPT,LPT1:") << row.name;
        EXPECT_FALSE(WorkCopyLeft()) << row.name;
    }
    // A missing SYSTEM.INI is not created either.
    DeleteFileA(systemIni.path.c_str());
    EXPECT_EQ(RestoreSystemIni(), 0);
    EXPECT_FALSE(FileExists(systemIni.path));
}

// WIN.INI after profile writes, which let Wine lay the file out anew (blank
// lines, blanks around "="): compared without blanks, CRs and empty lines.
std::string Content(const std::string& text)
{
    std::string out;
    for (char c : text)
        if (c != ' ' && c != '\r' && !(c == '\n' && (out.empty() || out.back() == '\n')))
            out += c;
    return out;
}

std::string PostScriptSections()
{
    std::string text;
    for (const char* port : {"LPT1:", "LPT2:", "LPT3:"}) {
        text += std::string("[QOR 4400 Brackenfield PS2,") + port + "]\r\nres=600\r\n";
        text += std::string("[QOR 4400 Brackenfield PS2,") + port + " Fonts]\r\nf=1\r\n";
    }
    return text;
}

// The whole restore: the profile writes in their order (the cache flushed
// after the six deletions and again once the file pass has written WIN.INI),
// a run line longer than any first guess, and the counter.
TEST_F(IniRestore, RestoreIniFilesWritesTheProfileInItsOrder)
{
    const std::string longRun = std::string(250, 'c') + ".exe C:\\QOR\\qvwpd.exe calc.exe";
    ASSERT_TRUE(WriteFileText(systemIni.path, kPackageSystemIni));
    ASSERT_TRUE(WriteFileText(winIni.path, "[Mail]\r\nMAPI=1\r\n" + PostScriptSections() +
                                               "[PSCRIPT]\r\nExternal Printers=2\r\n"
                                               "[devices]\r\nP=d,LPT1:\r\n" + kPassMarker +
                                               "\r\n"));
    ASSERT_TRUE(WriteProfileStringA("Windows", "run", longRun.c_str()));
    EXPECT_EQ(RestoreIniFiles(), 1);
    EXPECT_EQ(Read(systemIni.path), "[386Enh]\r\ndevice=*vmm\r\n[boot]\r\nx=1\r\n");
    EXPECT_EQ(Content(Read(winIni.path)),
              "[Mail]\nMAPI=1\n[PSCRIPT]\nExternalPrinters=1\n[devices]\nP=d,LPT1:\n");
    EXPECT_EQ(Profile("windows", "device"), "P,d,LPT1:");
    EXPECT_EQ(Profile("windows", "run"), std::string(250, 'c') + ".exe calc.exe");

    std::vector<std::string> expected;
    for (const char* port : {"LPT1:", "LPT2:", "LPT3:", "LPT1: Fonts", "LPT2: Fonts", "LPT3: Fonts"})
        expected.push_back(std::string("QOR 4400 Brackenfield PS2,") + port + "|-|-");
    expected.push_back("-|-|-");
    expected.push_back("-|-|- after the pass");
    expected.push_back("windows|device|P,d,LPT1: after the pass");
    expected.push_back("Windows|run|" + std::string(250, 'c') + ".exe calc.exe after the pass");
    expected.push_back("PSCRIPT|External Printers|1 after the pass");
    EXPECT_EQ(g_profileCalls, expected);
}

// The six sections go through the profile functions even where the file
// pass, which would drop them as well, fails; a value write that fails
// fails the restore, and what comes after it is not written.
TEST_F(IniRestore, SectionDeletionsAndFailingValueWrites)
{
    const std::string before = "[Mail]\r\nMAPI=1\r\n" + PostScriptSections() +
                               "[PSCRIPT]\r\nExternal Printers=2\r\n[devices]\r\nP=d,LPT1:\r\n";
    ASSERT_TRUE(WriteFileText(systemIni.path, kPackageSystemIni));
    ASSERT_TRUE(WriteFileText(winIni.path, before));
    g_textWrites = 4;  // the SYSTEM.INI pass's lines; the WIN.INI pass fails
    EXPECT_EQ(RestoreIniFiles(), 0);
    EXPECT_EQ(Content(Read(winIni.path)), "[Mail]\nMAPI=1\n[PSCRIPT]\nExternalPrinters=2\n[devices]\nP=d,LPT1:\n");

    const struct {
        int goodWrites;  // of the three value writes
        const char* counter;
    } rows[] = {{0, "2"}, {1, "2"}, {2, "2"}, {3, "1"}};
    for (const auto& row : rows) {
        ASSERT_TRUE(WriteFileText(systemIni.path, kPackageSystemIni));
        ASSERT_TRUE(WriteFileText(winIni.path, before));
        ASSERT_TRUE(WriteProfileStringA("Windows", "run", "qvwpd.exe"));
        g_profileCalls.clear();
        g_textWrites = -1;
        g_profileWrites = 8 + row.goodWrites;  // the deletions and both flushes first
        EXPECT_EQ(RestoreIniFiles(), row.goodWrites == 3 ? 1 : 0) << row.goodWrites;
        EXPECT_EQ(g_profileCalls.size(), row.goodWrites == 3 ? 11u : 9u + row.goodWrites)
            << row.goodWrites;
        EXPECT_EQ(GetProfileIntA("PSCRIPT", "External Printers", 0), row.counter[0] - '0');
    }
}

}  // namespace
