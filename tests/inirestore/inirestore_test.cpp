// The settings restore under wine, on the prefix's real SYSTEM.INI and
// WIN.INI: the compressed copy, both passes byte for byte, the profile
// updates, and the failures that must leave the old content intact.
#include <gtest/gtest.h>

#include <string>

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
    char text[256];
    GetProfileStringA(section, key, "<none>", text, sizeof text);
    return text;
}

// Whether a pass left a work copy (GetTempFileNameA names them QORxxxx.TMP).
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

    void SetUp() override { g_config = ConfigRecord(); }
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
// Every row of the WIN.INI filter. Nothing of [windows] or [PSCRIPT] is
// written to the file itself here, so it is exactly the filter's output.
const char kWinIniBefore[] =
    "[windows]\r\nQOR.GDI=1\r\n[Devices]\r\n;first printer follows\r\n"
    "QOR Brackenfield 4400=QOR4400,LPT1:\r\nOffice Printer=PSCRIPT,LPT2:\r\n"
    "qor 4400 brackenfield ps2=PSCRIPT,LPT3:\r\n\r\n[QOR Brackenfield 4400,LPT1:]\r\n\r\npaper=1\r\n"
    "[QOR Brackenfield Model 2890 GDI,LPT2:]\r\nx=1\r\n[qor brackenfield 4400,LPT1:]\r\nQOR.PS=1\r\n"
    "[PrinterPorts]\r\nQOR 4400 Brackenfield PS2=PSCRIPT,LPT1:,15,45\r\n"
    "Office Printer=PSCRIPT,LPT2:,15,45\r\n[pscript]\r\na=vornps\r\nb=VORNPS,LPT1:\r\nQor.Pcl=1\r\n"
    "; c=VORNPS\r\n[ports]\r\nLPT1:=\r\nqor.gdi=2\n[intl]\r\nx=VORNPS";

// Both passes byte for byte and their .000 copies. The SYSTEM.INI text has
// every row of the [386Enh] filter, a line longer than a piece, mixed line
// ends and a last line without one.
TEST_F(IniRestore, PassesAreByteExact)
{
    const std::string longLine = "long=" + std::string(120, 'v') + "\r\n";
    struct Row { int (*pass)(); SavedFile *ini, *copy; std::string before, after; } rows[] = {
        {RestoreSystemIni, &systemIni, &system000,
         "[boot]\r\nVornLPT=LPT1\r\n[386Enh]\r\n  device=*vmm  \r\nVornLPT=LPT1\r\nVORNLPT = 2\n"
         "device=C:\\WINDOWS\\SYSTEM\\VORNVMI.386\r\nDEVICE = vornvmi.386\r\n"
         "device=C:\\X\\MYVORNVMI.386\r\n\t;device=vpd.386\r\n;DEVICE = C:\\WINDOWS\\SYSTEM\\VPD.386\r\n"
         "; device=vpd.386\r\ncomment without equals\r\n\r\n" + longLine +
         "[NonWindowsApp]\r\ndevice=vornvmi.386\r\n [386enh]\r\nVornLPT=3\r\nlast=1",
         "[boot]\r\nVornLPT=LPT1\r\n[386Enh]\r\n  device=*vmm  \r\n"
         "device=C:\\X\\MYVORNVMI.386\r\ndevice=vpd.386\r\ndevice=vpd.386\r\n"
         "; device=vpd.386\r\ncomment without equals\r\n\r\n" + longLine +
         "[NonWindowsApp]\r\ndevice=vornvmi.386\r\n [386enh]\r\nlast=1"},
        {RestoreSystemIni, &systemIni, &system000, "", ""},
        {RestoreWinIni, &winIni, &win000, kWinIniBefore,
         "[windows]\r\nQOR.GDI=1\r\n[Devices]\r\n;first printer follows\r\n"
         "Office Printer=PSCRIPT,LPT2:\r\nqor 4400 brackenfield ps2=PSCRIPT,LPT3:\r\n\r\n"
         "[qor brackenfield 4400,LPT1:]\r\nQOR.PS=1\r\n[PrinterPorts]\r\n"
         "Office Printer=PSCRIPT,LPT2:,15,45\r\n[pscript]\r\nb=VORNPS,LPT1:\r\n[ports]\r\nLPT1:=\r\n"
         "[intl]\r\nx=VORNPS"},
    };
    lstrcpynA(g_config.DefaultDevice, "Start Printer,PSCRIPT,LPT1:", sizeof g_config.DefaultDevice);
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

// A writer that lets `g_goodWrites` pieces through and then fails, as a full
// disk would.
int g_goodWrites;
bool FailingWriter(const char* text, std::size_t length, std::FILE* file)
{
    return g_goodWrites-- > 0 && WritePieceToFile(text, length, file);
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
        int goodWrites;  // pieces written before the writer fails; -1: none fails
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
        lstrcpynA(g_config.DefaultDevice, "Other,PSCRIPT,LPT2:", sizeof g_config.DefaultDevice);
        HANDLE lock = row.share == kNotHeld ? INVALID_HANDLE_VALUE
                                            : CreateFileA(systemIni.path.c_str(), GENERIC_READ, row.share,
                                                          nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_EQ(lock == INVALID_HANDLE_VALUE, row.share == kNotHeld) << row.name;
        g_goodWrites = row.goodWrites;
        g_writePiece = row.goodWrites < 0 ? WritePieceToFile : FailingWriter;
        EXPECT_EQ(row.pass(), 0) << row.name;
        g_writePiece = WritePieceToFile;
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

TEST_F(IniRestore, RestoreIniFilesCleansBothFilesAndTheProfile)
{
    std::string ps2Sections;
    for (const char* port : {"LPT1:", "LPT2:", "LPT3:"}) {
        ps2Sections += std::string("[QOR 4400 Brackenfield PS2,") + port + "]\r\nres=600\r\n";
        ps2Sections += std::string("[QOR 4400 Brackenfield PS2,") + port + " Fonts]\r\nf=1\r\n";
    }
    ASSERT_TRUE(WriteFileText(systemIni.path, kPackageSystemIni));
    ASSERT_TRUE(WriteFileText(winIni.path, "[Mail]\r\nMAPI=1\r\n" + ps2Sections +
                                               "[PSCRIPT]\r\nExternal Printers=2\r\n"
                                               "[devices]\r\nP=d,LPT1:\r\nQOR.PS=x\r\n"));
    ASSERT_TRUE(WriteProfileStringA("Windows", "run", "qvwpd.exe calc.exe"));
    EXPECT_EQ(RestoreIniFiles(), 1);
    EXPECT_EQ(Read(systemIni.path), "[386Enh]\r\ndevice=*vmm\r\n[boot]\r\nx=1\r\n");
    EXPECT_EQ(Read(system000.path), kPackageSystemIni);
    EXPECT_EQ(Content(Read(winIni.path)),
              "[Mail]\nMAPI=1\n[PSCRIPT]\nExternalPrinters=1\n[devices]\nP=d,LPT1:\n");
    EXPECT_EQ(Profile("windows", "device"), "P,d,LPT1:");
    EXPECT_EQ(Profile("windows", "run"), "calc.exe");
}

}  // namespace
