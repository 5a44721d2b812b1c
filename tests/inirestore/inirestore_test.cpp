// The settings restore under wine, on the prefix's real SYSTEM.INI and
// WIN.INI: the compressed copy, both passes byte for byte, the profile
// writes in their order, the failures that must leave the old content, and
// what a run that was cut off left for the next one.
// The restore's two writers are this test's own (linked in their place), so
// that a write can fail as on a full disk.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "base/base.h"
#include "inirestore/inirestore.h"
#include "support/winsupport.h"

using namespace winsupport;

namespace {

std::string InWindows(const char* name) { return WindowsDir() + "\\" + name; }

std::string Read(const std::string& path) { std::string t; return ReadFileText(path, &t) ? t : "<missing>"; }

std::string Profile(const char* section, const char* key)
{
    char text[1024];
    GetProfileStringA(section, key, "<none>", text, sizeof text);
    return text;
}

// Writes that succeed before one fails (-1: none fails), for each writer.
int g_textWrites = -1, g_profileWrites = -1;
// Every profile write: section, key and value ("-" for null), and whether
// the file pass had already taken the entry only it removes out of WIN.INI.
std::vector<std::string> g_profileCalls;
constexpr char kPassMarker[] = "QOR.PS=x";

// Takes one of the writes left; false when none is.
bool TakeWrite(int& left) { return left < 0 || (left > 0 && left--); }

}  // namespace

bool WriteIniText(const char* text, std::size_t length, void* file)
{
    return TakeWrite(g_textWrites) && std::fwrite(text, 1, length, static_cast<std::FILE*>(file)) == length;
}

bool WriteProfileValue(const char* file, const char* section, const char* key, const char* value)
{
    bool passed = Read(InWindows("WIN.INI")).find(kPassMarker) == std::string::npos;
    g_profileCalls.push_back(std::string(file ? "new text|" : "") + (section ? section : "-") + "|" +
                             (key ? key : "-") + "|" + (value ? value : "-") +
                             (passed ? " after the pass" : ""));
    if (!TakeWrite(g_profileWrites))
        return false;
    return (file ? WritePrivateProfileStringA(section, key, value, file) : WriteProfileStringA(section, key, value)) != 0;
}

namespace {

// A work copy or a new text of a pass, or the default-device scan's copy.
bool WorkCopyLeft()
{
    for (const char* pattern : {"QOR*.TMP", "*.QOW", "*.QON", "WIN.QOD"}) {
        WIN32_FIND_DATAA data;
        HANDLE find = FindFirstFileA(InWindows(pattern).c_str(), &data);
        if (find != INVALID_HANDLE_VALUE && FindClose(find))
            return true;
    }
    return false;
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
    SavedFile systemIni{"SYSTEM.INI"}, winIni{"WIN.INI"}, system000{"SYSTEM.000"}, win000{"WIN.000"},
        systemNew{"SYSTEM.QON"}, systemWork{"SYSTEM.QOW"};
    SavedEntry device{"device"}, run{"run"};

    void SetUp() override
    {
        g_config = ConfigRecord();
        g_textWrites = g_profileWrites = -1;
        g_profileCalls.clear();
    }
    void TearDown() override { EXPECT_FALSE(WorkCopyLeft()) << "a work copy was left behind"; }
};

const char kPackageSystemIni[] = "[386Enh]\r\nVornLPT=LPT1\r\ndevice=*vmm\r\n[boot]\r\nx=1\r\n";
const char kWinIniBefore[] =
    "[windows]\r\nQOR.GDI=1\r\n\x1a\r\n[Devices]\r\n;first printer follows\r\n"
    "QOR Brackenfield 4400=QOR4400,LPT1:\r\nOffice Printer=PSCRIPT,LPT2:\r\n"
    "[QOR Brackenfield 4400,LPT1:]\r\n\r\npaper=1\r\n[ports]\r\nLPT1:=\r\nqor.gdi=2\n[intl]\r\nx=VORNPS";

// Both passes byte for byte, with mixed line ends, a line longer than any
// buffer, Ctrl+Z and a last line without an end, and their .000 copies. A
// file that has nothing to change (an empty one) is not touched, nor is its
// .000 copy.
TEST_F(IniRestore, PassesAreByteExact)
{
    // Ctrl+Z mid-file: a copy read in text mode would end there.
    const std::string longLine = "long=" + std::string(300, 'v') + "\r\n\x1a;after Ctrl+Z\r\n";
    struct Row { int (*pass)(bool*); SavedFile *ini, *copy; std::string before, after, copyAfter; } rows[] = {
        {RestoreSystemIni, &systemIni, &system000,
         "[boot]\r\nVornLPT=LPT1\r\n[386Enh]\r\n  device=*vmm  \r\nVornLPT=LPT1\n"
         "device=C:\\WINDOWS\\SYSTEM\\VORNVMI.386\r\n\t;device=vpd.386\r\n" + longLine +
         "[NonWindowsApp]\r\ndevice=vornvmi.386\r\nlast=1",
         "[boot]\r\nVornLPT=LPT1\r\n[386Enh]\r\n  device=*vmm  \r\ndevice=vpd.386\r\n" + longLine +
         "[NonWindowsApp]\r\ndevice=vornvmi.386\r\nlast=1", ""},
        {RestoreSystemIni, &systemIni, &system000, "", "", "an older copy"},
        {RestoreWinIni, &winIni, &win000, kWinIniBefore,
         "[windows]\r\nQOR.GDI=1\r\n\x1a\r\n[Devices]\r\n;first printer follows\r\n"
         "Office Printer=PSCRIPT,LPT2:\r\n[ports]\r\nLPT1:=\r\n[intl]\r\nx=VORNPS", ""},
    };
    for (const Row& row : rows) {
        ASSERT_TRUE(WriteFileText(row.ini->path, row.before));
        ASSERT_TRUE(WriteFileText(row.copy->path, "an older copy"));
        EXPECT_EQ(row.pass(nullptr), 1) << row.ini->path;
        EXPECT_EQ(Read(row.ini->path), row.after) << row.ini->path;
        EXPECT_EQ(Read(row.copy->path), row.copyAfter.empty() ? row.before : row.copyAfter) << row.copy->path;
    }
    // The default printer is the first one left in the rewritten [Devices],
    // found past a Ctrl+Z.
    EXPECT_STREQ(g_config.DefaultDevice, "Office Printer,PSCRIPT,LPT2:");
    EXPECT_EQ(Profile("windows", "device"), "Office Printer,PSCRIPT,LPT2:");
}

// Each fault leaves both files and the default printer as they were.
// SYSTEM.INI held open by another program for longer than the pass waits
// stands for a read-only file too (Wine running as root opens one for
// writing all the same); held unshared, it cannot even be copied to a work
// copy.
TEST_F(IniRestore, FailedPassesLeaveTheOldContent)
{
    constexpr DWORD kNotHeld = ~0u;
    struct Row { const char* name; int (*pass)(bool*); DWORD share; int textWrites; } rows[] = {
        {"held open for reading", RestoreSystemIni, FILE_SHARE_READ, -1},
        {"held unshared: no work copy", RestoreSystemIni, 0, -1},
        {"a write fails", RestoreSystemIni, kNotHeld, 0}, {"WIN.INI write fails", RestoreWinIni, kNotHeld, 3},
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
        EXPECT_EQ(row.pass(nullptr), 0) << row.name;
        if (lock != INVALID_HANDLE_VALUE)
            CloseHandle(lock);
        EXPECT_EQ(Read(systemIni.path), kPackageSystemIni) << row.name;
        EXPECT_EQ(Read(winIni.path), kWinIniBefore) << row.name;
        EXPECT_EQ(Profile("windows", "device"), "Keep Me,PSCRIPT,LPT1:") << row.name;
    }
    // A copy whose target cannot be made fails; a missing SYSTEM.INI is not
    // created either, nor is its old copy touched.
    EXPECT_EQ(CopyCompressedFile(systemIni.path.c_str(), InWindows("nodir\\X.INI").c_str()), 0);
    DeleteFileA(systemIni.path.c_str());
    ASSERT_TRUE(WriteFileText(system000.path, "an older copy"));
    EXPECT_EQ(RestoreSystemIni(), 0);
    EXPECT_FALSE(FileExists(systemIni.path));
    EXPECT_EQ(Read(system000.path), "an older copy");
}

DWORD WINAPI CloseAfterAMoment(LPVOID handle)
{
    Sleep(300);
    CloseHandle(handle);
    return 0;
}

// Another program that reads its settings holds SYSTEM.INI open for a
// moment: the pass waits for it, and replaces the file once it is free
// instead of failing the whole un-install (held for the whole wait, above,
// it fails).
TEST_F(IniRestore, AFileHeldForAMomentIsReplacedOnceFree)
{
    ASSERT_TRUE(WriteFileText(systemIni.path, kPackageSystemIni));
    HANDLE lock = CreateFileA(systemIni.path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    HANDLE closer = CreateThread(nullptr, 0, CloseAfterAMoment, lock, 0, nullptr);
    ASSERT_NE(closer, nullptr);
    DWORD start = GetTickCount();
    EXPECT_EQ(RestoreSystemIni(), 1);
    EXPECT_GE(GetTickCount() - start, 250u) << "the file was not held";
    WaitForSingleObject(closer, INFINITE);
    CloseHandle(closer);
    EXPECT_EQ(Read(systemIni.path), "[386Enh]\r\ndevice=*vmm\r\n[boot]\r\nx=1\r\n");
    EXPECT_EQ(Read(system000.path), kPackageSystemIni);
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

// The whole restore: the profile writes in their order, a run line longer
// than any first guess, and the counter. The six sections and the counter
// go to WIN.INI's new text, before it takes WIN.INI's place, so that a run
// cut off never finds the counter changed without the pass, or the other
// way round; the cache is flushed before the pass and again after it. A
// value write that fails fails the restore, and what comes after it is not
// written; until WIN.INI is replaced, WIN.INI keeps its old text.
TEST_F(IniRestore, RestoreIniFilesWritesTheProfileInItsOrder)
{
    const std::string c250(250, 'c'), after = " after the pass";
    std::string before = "[Mail]\r\nMAPI=1\r\n";
    std::vector<std::string> calls = {"-|-|-"};
    for (const char* port : {"LPT1:", "LPT2:", "LPT3:", "LPT1: Fonts", "LPT2: Fonts", "LPT3: Fonts"}) {
        before += std::string("[QOR 4400 Brackenfield PS2,") + port + "]\r\nres=600\r\n";
        calls.push_back(std::string("new text|QOR 4400 Brackenfield PS2,") + port + "|-|-");
    }
    before += std::string("[PSCRIPT]\r\nExternal Printers=2\r\n[devices]\r\nP=d,LPT1:\r\n") + kPassMarker;
    before += "\r\n";
    calls.insert(calls.end(), {"new text|PSCRIPT|External Printers|1", "-|-|-" + after,
                               "windows|device|P,d,LPT1:" + after,
                               "Windows|run|" + c250 + ".exe calc.exe" + after});
    const std::string rewritten = "[Mail]\nMAPI=1\n[PSCRIPT]\nExternalPrinters=1\n[devices]\nP=d,LPT1:\n";
    struct Row { const char* name; int textWrites, profileWrites, result; std::size_t calls; bool passed; } rows[] = {
        {"the WIN.INI pass fails", 4, -1, 0, 1, false},  // after the four lines of SYSTEM.INI
        {"counter write fails", -1, 7, 0, 8, false}, {"device write fails", -1, 9, 0, 10, true},
        {"run write fails", -1, 10, 0, 11, true}, {"all writes succeed", -1, -1, 1, 11, true},
    };
    for (const Row& r : rows) {
        ASSERT_TRUE(WriteFileText(systemIni.path, kPackageSystemIni));
        ASSERT_TRUE(WriteFileText(winIni.path, before));
        ASSERT_TRUE(WriteProfileStringA("Windows", "run", (c250 + ".exe C:\\qvwpd.exe calc.exe").c_str()));
        g_profileCalls.clear();
        g_textWrites = r.textWrites;
        g_profileWrites = r.profileWrites;
        EXPECT_EQ(RestoreIniFiles(), r.result) << r.name;
        EXPECT_EQ(g_profileCalls, std::vector<std::string>(calls.begin(), calls.begin() + r.calls)) << r.name;
        EXPECT_EQ(Content(Read(winIni.path)), r.passed ? rewritten : Content(before)) << r.name;
        EXPECT_FALSE(WorkCopyLeft()) << r.name;
    }
    EXPECT_EQ(Read(systemIni.path), "[386Enh]\r\ndevice=*vmm\r\n[boot]\r\nx=1\r\n");
    EXPECT_EQ(Profile("windows", "device"), "P,d,LPT1:");
    EXPECT_EQ(Profile("windows", "run"), c250 + ".exe calc.exe");
}

// What a run cut off in a pass leaves behind is finished or dropped before
// the next run reads the INI file: a new text beside the INI file (it had
// not taken its place yet) and a work copy are dropped; a new text without
// the INI file (the Windows 95 family's two steps, cut between them) takes
// its place. A second whole restore then changes no file, the .000 copies
// included, and the counter is not counted down again.
TEST_F(IniRestore, ACutOffRunIsFinishedAndARunAgainChangesNothing)
{
    const std::string filtered = "[386Enh]\r\ndevice=*vmm\r\n[boot]\r\nx=1\r\n";
    ASSERT_TRUE(WriteFileText(systemIni.path, kPackageSystemIni));
    ASSERT_TRUE(WriteFileText(systemNew.path, "[386Enh]\r\ndevi"));
    ASSERT_TRUE(WriteFileText(systemWork.path, "[386"));
    EXPECT_EQ(RestoreSystemIni(), 1);
    EXPECT_EQ(Read(systemIni.path), filtered);
    EXPECT_EQ(Read(system000.path), kPackageSystemIni);

    // The two steps themselves, then a cut between them.
    ASSERT_TRUE(WriteFileText(systemNew.path, filtered));
    EXPECT_TRUE(ReplaceFileInTwoSteps(systemNew.path.c_str(), systemIni.path.c_str()));
    EXPECT_EQ(Read(systemIni.path), filtered);
    EXPECT_FALSE(FileExists(systemNew.path));
    ASSERT_TRUE(MoveFileA(systemIni.path.c_str(), systemNew.path.c_str()));
    ASSERT_TRUE(WriteFileText(system000.path, "an older copy"));
    EXPECT_EQ(RestoreSystemIni(), 1);
    EXPECT_EQ(Read(systemIni.path), filtered);
    EXPECT_EQ(Read(system000.path), "an older copy");

    ASSERT_TRUE(WriteFileText(systemIni.path, kPackageSystemIni));
    ASSERT_TRUE(WriteFileText(winIni.path, "[PSCRIPT]\r\nExternal Printers=3\r\nQOR.PS=VORNPS\r\n"
                                           "[devices]\r\nOffice=PSCRIPT,LPT2:\r\n"));
    bool found = false;
    ASSERT_EQ(RestoreIniFiles(&found), 1);
    EXPECT_TRUE(found);
    const std::string once[] = {Read(systemIni.path), Read(system000.path), Read(winIni.path),
                                Read(win000.path)};
    EXPECT_EQ(Content(once[2]), "[PSCRIPT]\nExternalPrinters=2\n[devices]\nOffice=PSCRIPT,LPT2:\n");
    // Run again: nothing of the package's is found, and the user's own
    // choice of default printer, made since, stays.
    ASSERT_TRUE(WriteProfileStringA("windows", "device", "Keep Me,PSCRIPT,LPT1:"));
    g_profileCalls.clear();
    EXPECT_EQ(RestoreIniFiles(&found), 1);
    EXPECT_FALSE(found);
    const std::string twice[] = {Read(systemIni.path), Read(system000.path), Read(winIni.path),
                                 Read(win000.path)};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(twice[i], once[i]) << i;
    for (const std::string& call : g_profileCalls)
        EXPECT_TRUE(call.find("External Printers") == std::string::npos &&
                    call.find("|device|") == std::string::npos) << call;
    EXPECT_EQ(Profile("windows", "device"), "Keep Me,PSCRIPT,LPT1:");
    // A run cut off after the pass, before the default printer was written:
    // the package's printer is still the default, and the next one takes
    // its place.
    ASSERT_TRUE(WriteProfileStringA("windows", "device", " qor brackenfield 4400 ,Q44PCL,LPT1:"));
    EXPECT_EQ(RestoreIniFiles(&found), 1);
    EXPECT_TRUE(found);
    EXPECT_EQ(Profile("windows", "device"), "Office,PSCRIPT,LPT2:");
}

}  // namespace
