// The settings restore under wine, on the prefix's real SYSTEM.INI and
// WIN.INI: the compressed copy, both rewriting passes byte for byte, the
// profile updates, and the failures that must leave the old content intact.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "inirestore/inirestore.h"
#include "shell/config.h"
#include "support/winsupport.h"

using namespace winsupport;

namespace {

std::string InWindows(const char* name)
{
    return WindowsDir() + "\\" + name;
}

std::string Read(const std::string& path)
{
    std::string text;
    return ReadFileText(path, &text) ? text : "<missing>";
}

// The pass's work copies: GetTempFileNameA names them QORxxxx.TMP.
std::vector<std::string> WorkCopies()
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA(InWindows("QOR*.TMP").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
        return names;
    do
        names.push_back(data.cFileName);
    while (FindNextFileA(find, &data));
    FindClose(find);
    return names;
}

// WIN.INI as the profile functions would write it: Wine rewrites the whole
// file in its own layout (no blank lines, no blanks around "="), so tests
// after a profile write compare lines, not layout.
std::string Content(const std::string& text)
{
    std::istringstream in(text);
    std::string line, out;
    auto trim = [](std::string s) {
        size_t a = s.find_first_not_of(" \t\r"), b = s.find_last_not_of(" \t\r");
        return a == std::string::npos ? std::string() : s.substr(a, b - a + 1);
    };
    while (std::getline(in, line)) {
        line = trim(line);
        if (line.empty())
            continue;
        size_t eq = line.find('=');
        if (line[0] != '[' && eq != std::string::npos)
            line = trim(line.substr(0, eq)) + "=" + trim(line.substr(eq + 1));
        out += line + "\n";
    }
    return out;
}

// Where Wine (like NT) keeps [windows] of WIN.INI.
constexpr char kWindowsKey[] = "Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows";

// A registry value saved at construction and put back at destruction.
struct SavedValue {
    const char* name;
    bool existed = false;
    std::string data;
    explicit SavedValue(const char* valueName) : name(valueName)
    {
        HKEY key;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, kWindowsKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
            return;
        char buffer[1024];
        DWORD size = sizeof buffer, type;
        if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) ==
            ERROR_SUCCESS) {
            existed = true;
            data.assign(buffer, size);
        }
        RegCloseKey(key);
    }
    ~SavedValue()
    {
        HKEY key;
        if (RegCreateKeyExA(HKEY_CURRENT_USER, kWindowsKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                            nullptr) != ERROR_SUCCESS)
            return;
        if (existed)
            RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(data.data()),
                           static_cast<DWORD>(data.size()));
        else
            RegDeleteValueA(key, name);
        RegCloseKey(key);
    }
};

// A file of the Windows directory saved at construction and put back (or
// removed again) at destruction.
struct SavedFile {
    std::string path;
    bool existed;
    std::string text;
    explicit SavedFile(const char* name) : path(InWindows(name))
    {
        existed = ReadFileText(path, &text);
    }
    ~SavedFile()
    {
        if (existed)
            WriteFileText(path, text);
        else
            DeleteFileA(path.c_str());
    }
};

std::string ProfileString(const char* section, const char* key)
{
    char text[256];
    GetProfileStringA(section, key, "<none>", text, sizeof text);
    return text;
}

class IniRestore : public ::testing::Test {
protected:
    SavedFile systemIni{"SYSTEM.INI"}, winIni{"WIN.INI"}, system000{"SYSTEM.000"},
        win000{"WIN.000"};
    SavedValue device{"device"}, run{"run"};

    void SetUp() override
    {
        g_config = ConfigRecord();
        g_writePiece = WritePieceToFile;
        ASSERT_EQ(WorkCopies(), std::vector<std::string>());
    }
    void TearDown() override
    {
        g_writePiece = WritePieceToFile;
        EXPECT_EQ(WorkCopies(), std::vector<std::string>()) << "a work copy was left behind";
    }
};

// ---------------------------------------------------------------------------
// CopyCompressedFile

TEST_F(IniRestore, CopyCompressedFileExpandsOrCopiesByteForByte)
{
    std::string data = BinDir() + "inirestore-data\\";
    std::string plain = Read(data + "sample.ini");
    ASSERT_GT(plain.size(), 16u);
    ASSERT_NE(Read(data + "sample.ini_"), plain) << "the sample is not compressed";
    std::string empty = InWindows("QOREMPTY.INI");
    ASSERT_TRUE(WriteFileText(empty, ""));
    std::string destination = InWindows("QORCOPY.INI");

    struct Row {
        const char* name;
        std::string source;
        int result;
        std::string content;
    } rows[] = {
        {"compressed", data + "sample.ini_", 1, plain},
        {"uncompressed", data + "sample.ini", 1, plain},
        {"empty", empty, 1, ""},
        {"missing source", data + "nothere.ini", 0, "old content"},
    };
    for (const Row& row : rows) {
        ASSERT_TRUE(WriteFileText(destination, "old content"));
        EXPECT_EQ(CopyCompressedFile(row.source.c_str(), destination.c_str()), row.result)
            << row.name;
        EXPECT_EQ(Read(destination), row.content) << row.name;
    }
    EXPECT_EQ(CopyCompressedFile((data + "sample.ini").c_str(),
                                 InWindows("nodir\\QORCOPY.INI").c_str()),
              0);
    DeleteFileA(destination.c_str());
    DeleteFileA(empty.c_str());
}

// ---------------------------------------------------------------------------
// The SYSTEM.INI pass

TEST_F(IniRestore, SystemIniPassIsByteExact)
{
    std::string longValue(120, 'v');
    std::string before =
        "[boot]\r\n"
        "VornLPT=LPT1\r\n"
        "[386Enh]\r\n"
        "  device=*vmm  \r\n"
        "VornLPT=LPT1\r\n"
        "VORNLPT = 2\n"
        "device=C:\\WINDOWS\\SYSTEM\\VORNVMI.386\r\n"
        "DEVICE = vornvmi.386\r\n"
        "device=C:\\X\\MYVORNVMI.386\r\n"
        "\t;device=vpd.386\r\n"
        ";DEVICE = C:\\WINDOWS\\SYSTEM\\VPD.386\r\n"
        "; device=vpd.386\r\n"
        "comment without equals\r\n"
        "\r\n"
        "long=" + longValue + "\r\n"
        "[NonWindowsApp]\r\n"
        "device=vornvmi.386\r\n"
        " [386enh]\r\n"
        "VornLPT=3\r\n"
        "last=1";
    std::string after =
        "[boot]\r\n"
        "VornLPT=LPT1\r\n"
        "[386Enh]\r\n"
        "  device=*vmm  \r\n"
        "device=C:\\X\\MYVORNVMI.386\r\n"
        "device=vpd.386\r\n"
        "device=vpd.386\r\n"
        "; device=vpd.386\r\n"
        "comment without equals\r\n"
        "\r\n"
        "long=" + longValue + "\r\n"
        "[NonWindowsApp]\r\n"
        "device=vornvmi.386\r\n"
        " [386enh]\r\n"
        "last=1";
    ASSERT_TRUE(WriteFileText(systemIni.path, before));
    ASSERT_TRUE(WriteFileText(system000.path, "an older copy"));
    EXPECT_EQ(RestoreSystemIni(), 1);
    EXPECT_EQ(Read(systemIni.path), after);
    EXPECT_EQ(Read(system000.path), before);
}

TEST_F(IniRestore, SystemIniPassOnAnEmptyFile)
{
    ASSERT_TRUE(WriteFileText(systemIni.path, ""));
    EXPECT_EQ(RestoreSystemIni(), 1);
    EXPECT_EQ(Read(systemIni.path), "");
    EXPECT_EQ(Read(system000.path), "");
}

// A writer that lets `g_goodWrites` pieces through and then fails, as a full
// disk would.
int g_goodWrites;
bool FailingWriter(const char* text, std::size_t length, std::FILE* file)
{
    if (g_goodWrites-- <= 0)
        return false;
    return WritePieceToFile(text, length, file);
}

// The file opened by another program that lets others read it but not write
// it. (A read-only attribute would do on Windows, but Wine running as root
// opens such a file for writing all the same.)
HANDLE OpenShared(const std::string& path, DWORD share)
{
    return CreateFileA(path.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING, 0, nullptr);
}
HANDLE g_lock = INVALID_HANDLE_VALUE;

const char kPackageSystemIni[] = "[386Enh]\r\nVornLPT=LPT1\r\ndevice=*vmm\r\n[boot]\r\nx=1\r\n";

TEST_F(IniRestore, FailedSystemIniPassLeavesTheFileAsItWas)
{
    struct Case {
        const char* name;
        void (*arrange)(const std::string& path);
    } cases[] = {
        {"file open elsewhere for reading only",
         [](const std::string& path) { g_lock = OpenShared(path, FILE_SHARE_READ); }},
        {"first write fails", [](const std::string&) {
             g_goodWrites = 0;
             g_writePiece = FailingWriter;
         }},
        {"third write fails", [](const std::string&) {
             g_goodWrites = 2;
             g_writePiece = FailingWriter;
         }},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(WriteFileText(systemIni.path, kPackageSystemIni));
        c.arrange(systemIni.path);
        EXPECT_EQ(RestoreSystemIni(), 0) << c.name;
        g_writePiece = WritePieceToFile;
        if (g_lock != INVALID_HANDLE_VALUE)
            CloseHandle(g_lock);
        g_lock = INVALID_HANDLE_VALUE;
        EXPECT_EQ(Read(systemIni.path), kPackageSystemIni) << c.name;
        EXPECT_EQ(WorkCopies(), std::vector<std::string>()) << c.name;
        // The pass got as far as its copies before it met the failure.
        EXPECT_EQ(Read(system000.path), kPackageSystemIni) << c.name;
        DeleteFileA(system000.path.c_str());
    }
}

TEST_F(IniRestore, SystemIniThatCannotBeReadIsNotTouched)
{
    ASSERT_TRUE(WriteFileText(systemIni.path, kPackageSystemIni));
    HANDLE lock = OpenShared(systemIni.path, 0);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    EXPECT_EQ(RestoreSystemIni(), 0);
    CloseHandle(lock);
    EXPECT_EQ(Read(systemIni.path), kPackageSystemIni);

    // A missing file is not created either.
    DeleteFileA(systemIni.path.c_str());
    EXPECT_EQ(RestoreSystemIni(), 0);
    EXPECT_FALSE(FileExists(systemIni.path));
}

// ---------------------------------------------------------------------------
// The WIN.INI pass and the profile updates

const char kWinIniBefore[] =
    "[windows]\r\n"
    "QOR.GDI=1\r\n"
    "[Devices]\r\n"
    ";first printer follows\r\n"
    "QOR Brackenfield 4400=QOR4400,LPT1:\r\n"
    "Office Printer=PSCRIPT,LPT2:\r\n"
    "qor 4400 brackenfield ps2=PSCRIPT,LPT3:\r\n"
    "\r\n"
    "[QOR Brackenfield 4400,LPT1:]\r\n"
    "\r\n"
    "paper=1\r\n"
    "[QOR Brackenfield Model 2890 GDI,LPT2:]\r\n"
    "x=1\r\n"
    "[qor brackenfield 4400,LPT1:]\r\n"
    "QOR.PS=1\r\n"
    "[PrinterPorts]\r\n"
    "QOR 4400 Brackenfield PS2=PSCRIPT,LPT1:,15,45\r\n"
    "Office Printer=PSCRIPT,LPT2:,15,45\r\n"
    "[pscript]\r\n"
    "a=vornps\r\n"
    "b=VORNPS,LPT1:\r\n"
    "Qor.Pcl=1\r\n"
    "; c=VORNPS\r\n"
    "[ports]\r\n"
    "LPT1:=\r\n"
    "qor.gdi=2\n"
    "[intl]\r\n"
    "x=VORNPS";

const char kWinIniAfter[] =
    "[windows]\r\n"
    "QOR.GDI=1\r\n"
    "[Devices]\r\n"
    ";first printer follows\r\n"
    "Office Printer=PSCRIPT,LPT2:\r\n"
    "qor 4400 brackenfield ps2=PSCRIPT,LPT3:\r\n"
    "\r\n"
    "[qor brackenfield 4400,LPT1:]\r\n"
    "QOR.PS=1\r\n"
    "[PrinterPorts]\r\n"
    "Office Printer=PSCRIPT,LPT2:,15,45\r\n"
    "[pscript]\r\n"
    "b=VORNPS,LPT1:\r\n"
    "[ports]\r\n"
    "LPT1:=\r\n"
    "[intl]\r\n"
    "x=VORNPS";

TEST_F(IniRestore, WinIniPassDropsThePackageAndSetsTheDefaultPrinter)
{
    ASSERT_TRUE(WriteFileText(winIni.path, kWinIniBefore));
    lstrcpynA(g_config.DefaultDevice, "Start Printer,PSCRIPT,LPT1:", sizeof g_config.DefaultDevice);
    EXPECT_EQ(RestoreWinIni(), 1);
    // Nothing of [windows] or [PSCRIPT] was written to the file itself here,
    // so it is exactly the filter's output.
    EXPECT_EQ(Read(winIni.path), kWinIniAfter);
    EXPECT_EQ(Read(win000.path), kWinIniBefore);
    EXPECT_STREQ(g_config.DefaultDevice, "Office Printer,PSCRIPT,LPT2:");
    EXPECT_EQ(ProfileString("windows", "device"), "Office Printer,PSCRIPT,LPT2:");
}

TEST_F(IniRestore, DefaultPrinterComesFromDevicesOrStaysAsItWas)
{
    struct Row {
        const char* name;
        const char* winIni;
        const char* device;
    } rows[] = {
        {"next section first", "[devices]\r\n[ports]\r\nLPT1:=\r\n", " "},
        {"devices last and empty", "[ports]\r\n[devices]\r\n", "Start,PSCRIPT,LPT1:"},
        {"no devices", "[ports]\r\nLPT1:=\r\n", "Start,PSCRIPT,LPT1:"},
        {"only package printers", "[devices]\r\nQOR Brackenfield 4400=Q,LPT1:\r\n[ports]\r\n", " "},
    };
    for (const Row& row : rows) {
        ASSERT_TRUE(WriteFileText(winIni.path, row.winIni));
        lstrcpynA(g_config.DefaultDevice, "Start,PSCRIPT,LPT1:", sizeof g_config.DefaultDevice);
        EXPECT_EQ(RestoreWinIni(), 1) << row.name;
        EXPECT_STREQ(g_config.DefaultDevice, row.device) << row.name;
        EXPECT_EQ(ProfileString("windows", "device"), row.device) << row.name;
    }
}

TEST_F(IniRestore, RunLineLosesOnlyTheProgram)
{
    struct Row {
        const char* before;
        const char* after;
    } rows[] = {
        {"C:\\APPS\\QVWPD.EXE", ""},
        {"c:\\apps\\qvwpd.exe  notepad.exe", "notepad.exe"},
        {"CALC.EXE C:\\APPS\\QVWPD.EXE", "CALC.EXE"},
        {"calc.exe notepad.exe", "calc.exe notepad.exe"},
    };
    for (const Row& row : rows) {
        ASSERT_TRUE(WriteFileText(winIni.path, "[ports]\r\n"));
        ASSERT_TRUE(WriteProfileStringA("Windows", "run", row.before));
        EXPECT_EQ(RestoreWinIni(), 1) << row.before;
        EXPECT_EQ(ProfileString("windows", "run"), row.after) << row.before;
    }
}

TEST_F(IniRestore, ExternalPrintersCountsDown)
{
    struct Row {
        const char* before;  // null: no counter
        const char* after;
    } rows[] = {
        {"3", "2"}, {"1", "0"}, {"0", "0"}, {nullptr, "<none>"},
    };
    for (const Row& row : rows) {
        std::string text = "[PSCRIPT]\r\n";
        if (row.before)
            text += std::string("External Printers=") + row.before + "\r\n";
        ASSERT_TRUE(WriteFileText(winIni.path, text));
        EXPECT_EQ(RestoreWinIni(), 1) << (row.before ? row.before : "missing");
        EXPECT_EQ(ProfileString("PSCRIPT", "External Printers"), row.after)
            << (row.before ? row.before : "missing");
    }
}

TEST_F(IniRestore, FailedWinIniWriteLeavesTheFileAndTheProfileAlone)
{
    ASSERT_TRUE(WriteFileText(winIni.path, kWinIniBefore));
    ASSERT_TRUE(WriteProfileStringA("windows", "device", "Keep Me,PSCRIPT,LPT1:"));
    lstrcpynA(g_config.DefaultDevice, "Other,PSCRIPT,LPT2:", sizeof g_config.DefaultDevice);
    g_goodWrites = 3;
    g_writePiece = FailingWriter;
    EXPECT_EQ(RestoreWinIni(), 0);
    g_writePiece = WritePieceToFile;
    EXPECT_EQ(Read(winIni.path), kWinIniBefore);
    EXPECT_EQ(ProfileString("windows", "device"), "Keep Me,PSCRIPT,LPT1:");
}

// ---------------------------------------------------------------------------
// The whole restore

TEST_F(IniRestore, RestoreIniFilesCleansBothFiles)
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
    EXPECT_EQ(Content(Read(winIni.path)),
              "[Mail]\nMAPI=1\n[PSCRIPT]\nExternal Printers=1\n[devices]\nP=d,LPT1:\n");
    EXPECT_EQ(ProfileString("windows", "device"), "P,d,LPT1:");
    EXPECT_EQ(ProfileString("windows", "run"), "calc.exe");
    EXPECT_EQ(Read(system000.path), kPackageSystemIni);
}

TEST_F(IniRestore, RestoreIniFilesStopsWhenSystemIniFails)
{
    const char winText[] = "[QOR 4400 Brackenfield PS2,LPT1:]\r\nres=600\r\n[PSCRIPT]\r\n"
                           "External Printers=2\r\n";
    ASSERT_TRUE(WriteFileText(systemIni.path, kPackageSystemIni));
    ASSERT_TRUE(WriteFileText(winIni.path, winText));
    HANDLE lock = OpenShared(systemIni.path, FILE_SHARE_READ);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    EXPECT_EQ(RestoreIniFiles(), 0);
    CloseHandle(lock);
    EXPECT_EQ(Read(systemIni.path), kPackageSystemIni);
    EXPECT_EQ(Read(winIni.path), winText);
}

}  // namespace
