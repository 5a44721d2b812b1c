// sampleinstall: lays the QOR Brackenfield 4400 package into the running
// Windows (a Wine prefix) as the package's installer would have left it, among
// settings of the user's own that the uninstaller must keep.
//
//   sampleinstall.exe PAYLOAD [options]
//
// PAYLOAD is a folder holding QORDELET.EXE and GAUGE32.DL_ (GAUGE32.DLL
// compressed with mscompress); both are copied into the install directory,
// the second under the name GAUGE32.DLL as the installer leaves it.
//
// Options:
//   /dir:PATH       install directory (default C:\QOR4400)
//   /style:N        HopperCapacity in vorn.ini (default 200)
//   /files:N        a generated package of N files (at most 512) instead of
//                   the sample one, spread over /dirs:M directories
//   /dirs:M         directory entries of the generated package (3 to 32)
//   /extra:N        N more files in the sample package (at most 600), spread
//                   over its install directory and three of its folders
//   /winini:KB      pad WIN.INI with the user's own sections to about KB kB
//   /noprinters     leave the spooler alone
//   /nogroup        make only the user's own Program Manager group
//   /longspool      give the emptied subdirectory a name too long for the
//                   setup log's field, and put a file of the user's into the
//                   folder of the directory entry after it
//   /longlines      put lines of the user's longer than any reader's buffer
//                   into WIN.INI, next to package patterns
//   /winstart       leave a winstart.bat of an earlier uninstall that another
//                   program has added lines to since
//   /bin            put the programs into a BIN folder and most help files
//                   into HELP\EN, each a directory entry of its own
//   /x86            lay the package as its 32-bit installer lays it, whatever
//                   this program's own build: the printer drivers in the
//                   "Windows NT x86" environment only, and VORNGDI.DRV and
//                   VORNPRNT.DLL, which the uninstaller also looks for in the
//                   system directory, in the 32-bit system directory as well
//                   (SysWOW64 on 64-bit Windows)
//
// What it lays down:
//   - the files of the setup log, QVSETUP.INF itself, spool files in the
//     emptied subdirectory, and Windows' own driver files that the package
//     also lists (the uninstaller must keep those);
//   - vorn.ini; the package's entries in WIN.INI and SYSTEM.INI among the
//     user's; device and run of [windows]; External Printers of [PSCRIPT];
//   - the three printers and their drivers, and the user's "Office Printer";
//   - the Plug and Play key with nested subkeys, and a sibling of the user's;
//   - the Program Manager group "Brackenfield Printing System" and the user's
//     "Accessories", made in the shell through the DDE management library as
//     an installer makes them (the folder windows the shell opens are closed).
// The running components are components_double.exe's.
#include <windows.h>
#include <ddeml.h>
#include <winspool.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct Dir {
    int id;
    std::string name;
};

struct File {
    std::string name;
    int dir;
    std::string tag;  // style tag of style-filtered files, else empty
    bool installed;   // laid on disk (a style-filtered line may be dropped)
};

std::string g_windowsDir;
std::string g_systemDir;  // where SYSTEM entries go, by the uninstaller's rule
std::string g_installDir = "C:\\QOR4400";
int g_style = 200;
bool g_longSpool = false, g_longLines = false, g_binFolders = false;
bool g_x86Layout = false;  // as the 32-bit installer lays it (/x86)
// The environment of a 32-bit program's spooler calls, on any Windows.
const char kX86Environment[] = "Windows NT x86";

std::string Join(const std::string& dir, const std::string& name)
{
    if (!dir.empty() && dir.back() == '\\')
        return dir + name;
    return dir + "\\" + name;
}

bool WriteText(const std::string& path, const std::string& text)
{
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        return false;
    }
    std::fwrite(text.data(), 1, text.size(), f);
    std::fclose(f);
    return true;
}

std::string ReadText(const std::string& path)
{
    std::string text;
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f)
        return text;
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0)
        text.append(buf, n);
    std::fclose(f);
    return text;
}

void MakeDirs(const std::string& path)
{
    for (size_t i = 3; i <= path.size(); ++i)
        if (i == path.size() || path[i] == '\\')
            CreateDirectoryA(path.substr(0, i).c_str(), nullptr);
}

std::string DirPath(const std::vector<Dir>& dirs, int id)
{
    for (const Dir& d : dirs) {
        if (d.id != id)
            continue;
        if (lstrcmpiA(d.name.c_str(), "WINDOWS") == 0)
            return g_windowsDir;
        if (lstrcmpiA(d.name.c_str(), "SYSTEM") == 0)
            return g_systemDir;
        if (d.name == ".")
            return g_installDir;
        return Join(g_installDir, d.name);
    }
    return std::string();
}

bool TagSelected(const std::string& tag)
{
    if (tag.empty() || lstrcmpiA(tag.c_str(), "ALL") == 0)
        return true;
    return tag == (g_style == 50 ? "50" : "200");
}

// The sample package: what the real installer lays down.
void SamplePackage(std::vector<Dir>* dirs, std::vector<File>* files)
{
    *dirs = {{1, "."},     {2, "SPOOL"}, {3, "FONTS\\TTFONTS"}, {4, "FONTS"},
             {5, "HELP"},  {6, "PPD"},   {7, "WINDOWS"},        {8, "SYSTEM"}};
    if (g_longSpool)
        (*dirs)[1].name = "SPOOLING_DIRECTORY_WITH_A_VERY_LONG_NAME_X";
    // HELP\EN before HELP: a folder goes only once its subfolders have gone.
    if (g_binFolders)
        dirs->insert(dirs->begin() + 4, {{9, "BIN"}, {10, "HELP\\EN"}});
    const char* install[] = {"QORDELET.EXE", "GAUGE32.DLL",  "QVSETUP.INF",  "VORNWPSD.EXE",
                             "QVWPD.EXE",    "QVTP.EXE",     "WINPCL.EXE",   "QVPANEL.EXE",
                             "FONTMON.EXE",  "QVSTATUS.EXE", "QVSPOOL.EXE",  "README.TXT",
                             "LICENSE.TXT",  "Q44CFG.DAT",   "Q44UTIL.DLL"};
    for (const char* n : install)
        files->push_back({n, 1, "", true});
    files->push_back({"Q44TRAY.INI", 1, "50", true});
    files->push_back({"Q44TRAY.INI", 1, "200", true});
    files->push_back({"Q44LOGO.BMP", 1, "ALL", true});
    for (const char* n : {"Q44SANS.PFM", "Q44SERIF.PFM", "Q44MONO.PFM"})
        files->push_back({n, 3, "", true});
    for (const char* n : {"Q44FONT.FOT", "Q44FONTS.DAT"})
        files->push_back({n, 4, "", true});
    for (const char* n : {"Q44PCL.HLP", "Q44PS.HLP", "QVWPD.HLP", "QVTP.HLP", "QVPANEL.HLP",
                          "QVSTATUS.HLP", "Q44GDI.HLP", "FONTMON.HLP"})
        files->push_back({n, 5, "", true});
    if (g_binFolders) {
        const std::string programs = " QVTP.EXE WINPCL.EXE QVPANEL.EXE FONTMON.EXE QVSTATUS.EXE QVSPOOL.EXE ";
        for (File& f : *files) {
            if (f.dir == 1 && programs.find(" " + f.name + " ") != std::string::npos)
                f.dir = 9;
            else if (f.dir == 5 && f.name != "Q44GDI.HLP" && f.name != "FONTMON.HLP")
                f.dir = 10;
        }
    }
    for (const char* n : {"QOR4400.PPD", "QOR4400.SPD", "QOR2890.PPD", "QOR2890.SPD"})
        files->push_back({n, 6, "", true});
    files->push_back({"VORNPRNT.DLL", 7, "", true});
    files->push_back({"Q44WIN.INI", 7, "50", true});
    files->push_back({"Q44WIN.INI", 7, "200", true});
    files->push_back({"Q44BKGND.BMP", 7, "ALL", true});
    files->push_back({"Q44BKGND.bmp", 7, "50", true});  // lower-case form: filtered too
    for (const char* n : {"Q44PCL.DRV", "QOR4400.DRV", "VORNGDI.DRV", "VORNVMI.386", "VORNPRNT.DLL",
                          "Q44GDI.DRV", "Q44PCL.DLL", "QOR4400.DLL", "VORNMON.DLL", "Q44UI.DLL",
                          "Q44RES.DLL", "Q44PORT.DLL"})
        files->push_back({n, 8, "", true});
    // Windows' own printer driver files, listed because the package shipped
    // copies: the uninstaller keeps them.
    for (const char* n : {"HPPCL5MS.DRV", "UNIDRV.DLL", "UNIDRV.HLP", "FINSTALL.DLL",
                          "FINSTALL.HLP", "PSCRIPT.DRV", "PSCRIPT.HLP"})
        files->push_back({n, 8, "", true});
}

// More files of the package's own, X0001.DAT and on, after the sample's.
void ExtraFiles(int count, std::vector<File>* files)
{
    const int dirs[] = {1, 4, 5, 6};
    for (int i = 1; i <= count; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "X%04d.DAT", i);
        files->push_back({name, dirs[i % 4], "", true});
    }
}

// A package of the size the benchmark asks for.
void GeneratedPackage(int fileCount, int dirCount, std::vector<Dir>* dirs, std::vector<File>* files)
{
    dirs->push_back({1, "."});
    int subdirs = dirCount - 3;
    for (int i = 0; i < subdirs; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "D%02d", i + 1);
        dirs->push_back({i + 2, name});
    }
    dirs->push_back({dirCount - 1, "WINDOWS"});
    dirs->push_back({dirCount, "SYSTEM"});
    files->push_back({"QORDELET.EXE", 1, "", true});
    files->push_back({"GAUGE32.DLL", 1, "", true});
    files->push_back({"QVSETUP.INF", 1, "", true});
    for (int i = static_cast<int>(files->size()); i < fileCount; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "F%04d.DAT", i);
        int dir = subdirs > 0 ? 2 + i % subdirs : 1;
        files->push_back({name, dir, "", true});
    }
}

std::string SetupLog(const std::vector<Dir>& dirs, const std::vector<File>& files)
{
    std::string log;
    log += "[Application]\r\nAppName=QOR Brackenfield 4400 Series\r\n";
    log += "DefDir=" + g_installDir + "\r\nSpaceNeeded=2400\r\n";
    log += "DefPMGroup=BRACKEN.GRP,Brackenfield Printing System\r\n\r\n";
    log += "[Disks]\r\n1=Disk 1\r\n2=Disk 2\r\n\r\n[Dirs]\r\n";
    for (const Dir& d : dirs)
        log += std::to_string(d.id) + "=" + d.name + "\r\n";
    log += "\r\n[Files]\r\n";
    int n = 0;
    for (const File& f : files) {
        int disk = (n++ % 2) + 1;
        std::string line = f.name + "," + std::to_string(f.dir) + "," + f.name + "," +
                           std::to_string(f.dir) + "," + std::to_string(disk) + ",Y";
        if (!f.tag.empty())
            line += "," + f.tag;
        log += line + "\r\n";
    }
    log += "\r\n[PM Info]\r\nQVWPD.EXE,Print Monitor\r\nQVPANEL.EXE,Control Panel\r\n";
    log += "README.TXT,Read Me\r\nQORDELET.EXE,Un-Install,QORDELET.EXE,1\r\n[End]\r\n";
    return log;
}

bool CopyPayload(const std::string& payload, const char* from, const char* to)
{
    std::string source = Join(payload, from);
    std::string target = Join(g_installDir, to);
    if (!CopyFileA(source.c_str(), target.c_str(), FALSE)) {
        std::fprintf(stderr, "cannot copy %s to %s\n", source.c_str(), target.c_str());
        return false;
    }
    return true;
}

bool LayFiles(const std::string& payload, const std::vector<Dir>& dirs, const std::vector<File>& files,
              const std::string& log)
{
    for (const Dir& d : dirs) {
        std::string path = DirPath(dirs, d.id);
        MakeDirs(path);
    }
    for (const File& f : files) {
        if (!TagSelected(f.tag))
            continue;
        std::string path = Join(DirPath(dirs, f.dir), f.name);
        if (f.name == "QORDELET.EXE" || f.name == "GAUGE32.DLL" || f.name == "QVSETUP.INF")
            continue;
        std::string body = "QOR Brackenfield 4400 Series: " + f.name + "\r\n";
        if (!WriteText(path, body))
            return false;
    }
    // Print jobs the spooler left in the subdirectory the uninstaller empties.
    std::string spool = DirPath(dirs, 2);
    if (dirs.size() > 3 && spool != g_installDir) {
        for (const char* n : {"JOB0001.SPL", "JOB0002.SPL", "JOB0002.SHD"})
            WriteText(Join(spool, n), "spooled job\r\n");
    }
    WriteText(Join(g_installDir, "spooler.que"), "queue\r\n");
    // The user's own letter where the entry after the emptied one points.
    if (g_longSpool)
        WriteText(Join(DirPath(dirs, 3), "LETTER.DOC"), "Dear user\r\n");
    return WriteText(Join(g_installDir, "QVSETUP.INF"), log) &&
           CopyPayload(payload, "QORDELET.EXE", "QORDELET.EXE") &&
           CopyPayload(payload, "GAUGE32.DL_", "GAUGE32.DLL");
}

bool WriteSettings()
{
    std::string text = "[APPLICATIONS]\r\nVornDir=" + g_installDir +
                       "\r\nDefaultDevice=Office Printer,PSCRIPT,LPT2:\r\n"
                       "[PrinterStyle]\r\nHopperCapacity=" + std::to_string(g_style) + "\r\n";
    return WriteText(Join(g_windowsDir, "vorn.ini"), text);
}

bool WriteSystemIni()
{
    std::string path = Join(g_windowsDir, "SYSTEM.INI");
    std::string text = ReadText(path);
    std::string package = "device=" + g_windowsDir + "\\SYSTEM\\VORNVMI.386\r\nVornLPT=LPT1\r\n";
    // Installed again (the demo does): the user's sections are there
    // already, so only the package's lines go in, and vpd.386 is switched
    // off again, as the first time.
    std::size_t enh = text.find("[386Enh]\r\n");
    if (enh != std::string::npos) {
        text.insert(enh + 10, package);
        std::size_t vpd = text.find("\r\ndevice=vpd.386\r\n");
        if (vpd != std::string::npos)
            text.insert(vpd + 2, ";");
        return WriteText(path, text);
    }
    if (!text.empty() && text.back() != '\n')
        text += "\r\n";
    text += "[boot]\r\nshell=Explorer.exe\r\nsystem.drv=system.drv\r\n\r\n"
            "[386Enh]\r\n"
            "device=*vpicd\r\n" + package +
            ";device=vpd.386\r\n"
            "device=*vcomm\r\n"
            "EMMExclude=C000-CFFF\r\n"
            "\r\n[NonWindowsApp]\r\nCommandEnvSize=1024\r\n";
    return WriteText(path, text);
}

bool WriteWinIni(int padKb)
{
    std::string text =
        "[Mail]\r\nMAPI=1\r\n\r\n"
        "[fonts]\r\nArial (TrueType)=ARIAL.FOT\r\n\r\n"
        "[ports]\r\nLPT1:=\r\nLPT2:=\r\nCOM1:=9600,n,8,1,x\r\nQOR.PCL=\r\nQOR.GDI=\r\nQOR.PS=\r\n\r\n"
        "[devices]\r\n" + std::string(g_longLines ? "Wide Printer=PSCRIPT," + std::string(190, 'x') +
                                                     ",LPT1:=VORNPS\r\n" : "") +
        "Office Printer=PSCRIPT,LPT2:\r\n"
        "QOR Brackenfield 4400=Q44PCL,LPT1:\r\n"
        "QOR 4400 Brackenfield PS2=PSCRIPT,LPT1:\r\n"
        "QOR Brackenfield Model 2890 GDI=VORNGDI,LPT1:\r\n\r\n"
        "[PrinterPorts]\r\nOffice Printer=PSCRIPT,LPT2:,15,45\r\n"
        "QOR Brackenfield 4400=Q44PCL,LPT1:,15,45\r\n"
        "QOR 4400 Brackenfield PS2=PSCRIPT,LPT1:,15,45\r\n"
        "QOR Brackenfield Model 2890 GDI=VORNGDI,LPT1:,15,45\r\n\r\n"
        "[PSCRIPT]\r\nExternal Printers=3\r\nsoftfonts=0\r\nQOR.PS=VORNPS\r\n\r\n"
        "[QOR Brackenfield 4400,LPT1:]\r\nresolution=600\r\npaper=9\r\n\r\n"
        "[QOR Brackenfield Model 2890 GDI,LPT1:]\r\nresolution=300\r\n\r\n"
        "[QOR 4400 Brackenfield PS2,LPT1:]\r\nfeed1=1\r\nprinter=QOR 4400\r\n\r\n"
        "[QOR 4400 Brackenfield PS2,LPT1: Fonts]\r\nsoftfonts=2\r\nsoftfont1=Q44SANS.PFM\r\n\r\n"
        "[Office Printer,LPT2:]\r\norientation=1\r\n\r\n"
        "[Sounds]\r\nSystemStart=chimes.wav,Windows Start\r\n";
    if (g_longLines)
        text += "[ports]\r\nLPT9:=" + std::string(200, 'p') + "[QOR Brackenfield 4400\r\n"
                "[mail]\r\nMAPI32=1\r\n";
    // The user's own sections, to the size asked for.
    for (int n = 1; static_cast<int>(text.size()) < padKb * 1024; ++n) {
        text += "\r\n[UserApp" + std::to_string(n) + "]\r\n";
        for (int k = 0; k < 20; ++k)
            text += "Setting" + std::to_string(k) + "=value " + std::to_string(n * 100 + k) + "\r\n";
    }
    if (!WriteText(Join(g_windowsDir, "WIN.INI"), text))
        return false;
    // [windows] and [PSCRIPT] through the profile functions: on NT-family
    // systems [windows] lives in the registry.
    WriteProfileStringA("windows", "device", "QOR Brackenfield 4400,Q44PCL,LPT1:");
    std::string run = "CALC.EXE " + Join(g_installDir, "QVWPD.EXE");
    WriteProfileStringA("windows", "run", run.c_str());
    return true;
}

// The driver in `environment` (null: this program's own).
bool AddDriver(const char* driver, const char* environment)
{
    DRIVER_INFO_3A info = {};
    info.cVersion = 3;
    info.pName = const_cast<char*>(driver);
    info.pEnvironment = const_cast<char*>(environment);
    info.pDriverPath = const_cast<char*>("wineps.drv");
    info.pDataFile = const_cast<char*>("generic.ppd");
    info.pConfigFile = const_cast<char*>("wineps.drv");
    if (!AddPrinterDriverExA(nullptr, 3, reinterpret_cast<BYTE*>(&info), APD_COPY_NEW_FILES) &&
        GetLastError() != ERROR_PRINTER_DRIVER_ALREADY_INSTALLED) {
        std::fprintf(stderr, "AddPrinterDriver %s (%s) failed: %lu\n", driver,
                     environment ? environment : "own environment", GetLastError());
        return false;
    }
    return true;
}

bool AddPrinterWithDriver(const char* printer, const char* driver)
{
    if (!AddDriver(driver, g_x86Layout ? kX86Environment : nullptr))
        return false;
    // A 64-bit program adds a printer only on a driver of its own
    // environment: for an x86 driver, one of its own is lent for the moment
    // and taken back once the printer is there, which Wine's spooler allows.
    bool lent = g_x86Layout && sizeof(void*) == 8;
    if (lent && !AddDriver(driver, nullptr))
        return false;
    PRINTER_INFO_2A p = {};
    p.pPrinterName = const_cast<char*>(printer);
    p.pPortName = const_cast<char*>("LPT1:");
    p.pDriverName = const_cast<char*>(driver);
    p.pPrintProcessor = const_cast<char*>("wineps");
    p.pDatatype = const_cast<char*>("RAW");
    HANDLE h = AddPrinterA(nullptr, 2, reinterpret_cast<BYTE*>(&p));
    if (!h && GetLastError() != ERROR_PRINTER_ALREADY_EXISTS) {
        std::fprintf(stderr, "AddPrinter %s failed: %lu\n", printer, GetLastError());
        return false;
    }
    if (h)
        ClosePrinter(h);
    if (lent && !DeletePrinterDriverExA(nullptr, nullptr, const_cast<char*>(driver), 0, 0)) {
        std::fprintf(stderr, "cannot take back the lent driver %s: %lu\n", driver, GetLastError());
        return false;
    }
    return true;
}

bool AddPrinters()
{
    const char* package[] = {"QOR Brackenfield Model 2890 GDI", "QOR Brackenfield 4400",
                             "QOR 4400 Brackenfield PS2"};
    for (const char* name : package)
        if (!AddPrinterWithDriver(name, name))
            return false;
    return AddPrinterWithDriver("Office Printer", "Office Laser Driver");
}

bool SetKey(const char* path, const char* valueName, const char* value)
{
    HKEY key;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, path, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS) {
        std::fprintf(stderr, "cannot create HKLM\\%s\n", path);
        return false;
    }
    if (valueName)
        RegSetValueExA(key, valueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                       static_cast<DWORD>(std::strlen(value) + 1));
    RegCloseKey(key);
    return true;
}

bool AddPlugAndPlayKey()
{
    const char* key = "Enum\\LPTENUM\\QORBRACKENFIELD_44001EEC";
    return SetKey(key, "DeviceDesc", "QOR Brackenfield 4400") &&
           SetKey("Enum\\LPTENUM\\QORBRACKENFIELD_44001EEC\\0000", "Driver", "PRINTER\\0001") &&
           SetKey("Enum\\LPTENUM\\QORBRACKENFIELD_44001EEC\\0000\\Device Parameters", "PortName",
                  "LPT1") &&
           SetKey("Enum\\LPTENUM\\QORBRACKENFIELD_44001EEC\\0001", "Driver", "PRINTER\\0002") &&
           SetKey("Enum\\LPTENUM\\OFFICELASER_0001", "DeviceDesc", "Office Printer");
}

HDDEDATA CALLBACK NoCallback(UINT, UINT, HCONV, HSZ, HSZ, HDDEDATA, ULONG_PTR, ULONG_PTR)
{
    return nullptr;
}

// Program Manager groups, made through Program Manager's DDE service as an
// installer makes them; on NT and Wine the shell serves it and opens a
// folder window for every new group, which is closed again.
bool AddGroups(bool packageGroup)
{
    DWORD instance = 0;
    if (DdeInitializeA(&instance, NoCallback, APPCMD_CLIENTONLY, 0) != DMLERR_NO_ERROR)
        return false;
    HSZ service = DdeCreateStringHandleA(instance, "PROGMAN", CP_WINANSI);
    // The shell that serves the service may still be starting.
    HCONV conversation = nullptr;
    for (int i = 0; i < 100 && !conversation; ++i) {
        conversation = DdeConnect(instance, service, service, nullptr);
        if (!conversation)
            Sleep(100);
    }
    bool ok = conversation != nullptr;
    std::vector<std::string> groups = {"Accessories"};
    if (packageGroup)
        groups.push_back("Brackenfield Printing System");
    for (const std::string& group : groups) {
        std::string command = "[CreateGroup(" + group + ")]";
        ok = ok && DdeClientTransaction(reinterpret_cast<BYTE*>(&command[0]),
                                        static_cast<DWORD>(command.size() + 1), conversation,
                                        nullptr, 0, XTYP_EXECUTE, 10000, nullptr) != nullptr;
    }
    if (conversation)
        DdeDisconnect(conversation);
    DdeFreeStringHandle(instance, service);
    DdeUninitialize(instance);
    if (!ok)
        std::fprintf(stderr, "cannot create the Program Manager groups\n");
    for (const std::string& group : groups) {
        for (int i = 0; i < 50; ++i) {
            if (HWND folder = FindWindowA("ExplorerWClass", group.c_str())) {
                PostMessageA(folder, WM_CLOSE, 0, 0);
                break;
            }
            Sleep(100);
        }
    }
    return ok;
}

// What the 32-bit installer also lays in the system directory as it sees it
// (SysWOW64 on 64-bit Windows): the files that the uninstaller looks for
// there by name.
bool LayX86SystemFiles()
{
    char dir[MAX_PATH];
    if (!GetSystemWow64DirectoryA(dir, sizeof dir) && !GetSystemDirectoryA(dir, sizeof dir))
        return false;
    for (const char* n : {"VORNGDI.DRV", "VORNPRNT.DLL"})
        if (!WriteText(Join(dir, n), "QOR Brackenfield 4400 Series: " + std::string(n) + "\r\n"))
            return false;
    return true;
}

// What an earlier uninstall left in winstart.bat, and another program's
// lines after it.
bool WriteEarlierBatch()
{
    std::string batch = Join(g_windowsDir, "winstart.bat");
    std::string text = "@echo off\r\ndel " + batch + "\r\n";
    for (int i = 1; i <= 8; ++i)
        text += "echo another program " + std::to_string(i) + ">> C:\\other.txt\r\n";
    return WriteText(batch, text);
}

int IntOption(const char* arg, const char* name, int fallback)
{
    size_t n = std::strlen(name);
    if (_strnicmp(arg, name, n) == 0)
        return std::atoi(arg + n);
    return fallback;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: sampleinstall PAYLOAD [/dir:PATH] [/style:N] [/files:N] "
                             "[/dirs:M] [/extra:N] [/winini:KB] [/noprinters] [/nogroup] [/longspool] "
                             "[/longlines] [/winstart] [/bin] [/x86]\n");
        return 2;
    }
    std::string payload = argv[1];
    int fileCount = 0, dirCount = 0, winIniKb = 0, extra = 0;
    bool printers = true, packageGroup = true, earlierBatch = false;
    for (int i = 2; i < argc; ++i) {
        if (_strnicmp(argv[i], "/dir:", 5) == 0)
            g_installDir = argv[i] + 5;
        g_style = IntOption(argv[i], "/style:", g_style);
        fileCount = IntOption(argv[i], "/files:", fileCount);
        dirCount = IntOption(argv[i], "/dirs:", dirCount);
        winIniKb = IntOption(argv[i], "/winini:", winIniKb);
        extra = IntOption(argv[i], "/extra:", extra);
        if (lstrcmpiA(argv[i], "/noprinters") == 0)
            printers = false;
        if (lstrcmpiA(argv[i], "/nogroup") == 0)
            packageGroup = false;
        if (lstrcmpiA(argv[i], "/longspool") == 0)
            g_longSpool = true;
        if (lstrcmpiA(argv[i], "/longlines") == 0)
            g_longLines = true;
        if (lstrcmpiA(argv[i], "/winstart") == 0)
            earlierBatch = true;
        if (lstrcmpiA(argv[i], "/bin") == 0)
            g_binFolders = true;
        if (lstrcmpiA(argv[i], "/x86") == 0)
            g_x86Layout = true;
    }

    char buf[MAX_PATH];
    GetWindowsDirectoryA(buf, sizeof buf);
    g_windowsDir = buf;
    GetSystemDirectoryA(buf, sizeof buf);
    // The uninstaller looks for SYSTEM entries in the system directory only
    // where that is the Windows directory's SYSTEM folder.
    g_systemDir = lstrcmpiA(buf, Join(g_windowsDir, "SYSTEM").c_str()) == 0 ? buf : g_windowsDir;

    std::vector<Dir> dirs;
    std::vector<File> files;
    if (fileCount > 0)
        GeneratedPackage(fileCount > 512 ? 512 : fileCount,
                         dirCount < 3 ? 3 : (dirCount > 32 ? 32 : dirCount), &dirs, &files);
    else
        SamplePackage(&dirs, &files);
    if (fileCount == 0 && extra > 0)
        ExtraFiles(extra > 600 ? 600 : extra, &files);

    std::string log = SetupLog(dirs, files);
    if (log.size() > 20480) {
        std::fprintf(stderr, "setup log of %u bytes is longer than the uninstaller reads\n",
                     static_cast<unsigned>(log.size()));
        return 1;
    }
    bool ok = LayFiles(payload, dirs, files, log) && WriteSettings() && WriteSystemIni() &&
              WriteWinIni(winIniKb) && AddPlugAndPlayKey() && (!printers || AddPrinters()) &&
              AddGroups(packageGroup) && (!earlierBatch || WriteEarlierBatch()) &&
              (!g_x86Layout || LayX86SystemFiles());
    std::printf("%s: %u files, %u directories, setup log %u bytes, install directory %s\n",
                ok ? "installed" : "FAILED", static_cast<unsigned>(files.size()),
                static_cast<unsigned>(dirs.size()), static_cast<unsigned>(log.size()),
                g_installDir.c_str());
    return ok ? 0 : 1;
}
