// The settings restore on the system: the two INI rewrites, each of which
// replaces its file only whole, the default-device scan, and the profile
// writes that follow.
#include <windows.h>
#include <io.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "base/base.h"
#include "inirestore/filters.h"
#include "inirestore/inirestore.h"

namespace {

constexpr int kPathSize = 100;  // the Windows directory and the paths in it
constexpr int kCounterSize = 16;
// The run line is read whole: asked again with twice the room while it
// fills the buffer, up to this much.
constexpr DWORD kFirstRunSize = 200;
constexpr DWORD kMaxRunSize = 64 * 1024;

// The package's PostScript printer keeps its settings in these WIN.INI
// sections, one per port it may have been set up on.
constexpr const char* kPostScriptSections[] = {
    "QOR 4400 Brackenfield PS2,LPT1:",       "QOR 4400 Brackenfield PS2,LPT2:",
    "QOR 4400 Brackenfield PS2,LPT3:",       "QOR 4400 Brackenfield PS2,LPT1: Fonts",
    "QOR 4400 Brackenfield PS2,LPT2: Fonts", "QOR 4400 Brackenfield PS2,LPT3: Fonts",
};

// The Windows directory, asked afresh for every pass; false when it does not
// fit, since every path of the pass is built from it.
bool ReadWindowsDir(char* dir)
{
    UINT n = GetWindowsDirectoryA(dir, kPathSize);
    return n > 0 && n < static_cast<UINT>(kPathSize);
}

bool Exists(const char* path)
{
    return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

// Whatever the system still holds of the file is on the disk.
bool FlushToDisk(const char* path)
{
    HANDLE file = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    bool flushed = FlushFileBuffers(file) != 0;
    CloseHandle(file);
    return flushed;
}

bool SameContent(const char* a, const char* b)
{
    std::FILE* left = std::fopen(a, "rb");
    std::FILE* right = left ? std::fopen(b, "rb") : nullptr;
    bool same = right != nullptr;
    while (same) {
        char x[4096], y[4096];
        std::size_t n = std::fread(x, 1, sizeof x, left);
        std::size_t m = std::fread(y, 1, sizeof y, right);
        same = n == m && std::memcmp(x, y, n) == 0 && !std::ferror(left) && !std::ferror(right);
        if (n < sizeof x)
            break;
    }
    if (left)
        std::fclose(left);
    if (right)
        std::fclose(right);
    return same;
}

// The files of one pass, under names fixed for each INI file, so that what
// a run that was cut off left behind is found by the next one.
struct PassFiles {
    char ini[kPathSize];     // SYSTEM.INI
    char backup[kPathSize];  // SYSTEM.000
    char work[kPathSize];    // SYSTEM.QOW: the old text, expanded; becomes SYSTEM.000
    char fresh[kPathSize];   // SYSTEM.QON: the new text, until it takes SYSTEM.INI's place

    bool Build(const char* windowsDir, const char* iniName, const char* backupName, const char* stem)
    {
        char workName[16], freshName[16];
        return FormatText(workName, sizeof workName, "%s.QOW", stem) > 0 &&
               FormatText(freshName, sizeof freshName, "%s.QON", stem) > 0 &&
               JoinPath(ini, sizeof ini, windowsDir, iniName) &&
               JoinPath(backup, sizeof backup, windowsDir, backupName) &&
               JoinPath(work, sizeof work, windowsDir, workName) &&
               JoinPath(fresh, sizeof fresh, windowsDir, freshName);
    }
};

// What a pass that was cut off left behind is finished or dropped before the
// INI file is read. The work copy always goes: the INI file is whole, as it
// is only ever replaced whole. A new text beside the INI file was not put in
// place yet and goes too. A new text without the INI file is what is left of
// a replacement on a system without a replacing move (below): the old file
// goes only once the new one is on the disk, so the new one is whole, and it
// takes the INI file's place.
void FinishLeftovers(const PassFiles& files)
{
    DeleteFileA(files.work);
    if (!Exists(files.fresh))
        return;
    if (Exists(files.ini)) {
        DeleteFileA(files.fresh);
        return;
    }
    MoveFileA(files.fresh, files.ini);
}

struct LogContext {
    const char* file;
};

void LogLine(void* context, const char* section, const char* line, const char* replacement)
{
    const char* file = static_cast<LogContext*>(context)->file;
    const char* where = section[0] ? section : "(before the first section)";
    if (replacement)
        LogAction("%s %s: line changed: %l -> %l", file, where, line, replacement);
    else
        LogAction("%s %s: line removed: %l", file, where, line);
}

}  // namespace

bool ReplaceFileWhole(const char* from, const char* to)
{
    // Another program that reads its settings from the file holds it open
    // for a moment, and the file cannot be replaced meanwhile: asked again
    // for a while, with the windows kept painted, before the pass fails.
    DWORD start = GetTickCount();
    for (;;) {
        if (MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return true;
        DWORD error = GetLastError();
        if (error == ERROR_CALL_NOT_IMPLEMENTED)
            return ReplaceFileInTwoSteps(from, to);
        // A file in use is refused as access denied (on NT and Wine alike),
        // as a read-only one is: both are waited for.
        bool busy = error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION ||
                    error == ERROR_LOCK_VIOLATION;
        if (!busy || GetTickCount() - start >= kReplaceWait) {
            SetLastError(error);
            return false;
        }
        DelayPumping(50);
    }
}

bool ReplaceFileInTwoSteps(const char* from, const char* to)
{
    // The Windows 95 family has no move that replaces a file: the old one
    // goes first, and until the new one has taken its name the next run
    // finds the new one under its own (FinishLeftovers).
    if (!DeleteFileA(to) && GetLastError() != ERROR_FILE_NOT_FOUND)
        return false;
    return MoveFileA(from, to) != 0;
}

namespace {

using PassFilter = bool (*)(std::FILE*, IniWriter, void*, IniPassReport*);
// What a pass may still do to the new text before it takes the INI file's
// place; false fails the pass.
using PassFinish = bool (*)(const char* fresh, const IniPassReport& report);

// One rewriting pass. The INI file is expanded into the work copy, and the
// lines that `filter` keeps are written, in text mode, into the new text.
// When that is whole and on the disk, the work copy becomes the .000 copy
// and the new text takes the INI file's place, each in one step. The INI
// file is never written in place, so a run cut off at any moment leaves it
// whole, old or new; and a pass that would change nothing changes nothing,
// the .000 copy included.
int RewriteIniFile(const char* iniName, const char* backupName, const char* stem,
                   PassFilter filter, PassFinish finish, bool* rewritten)
{
    *rewritten = false;
    char windowsDir[kPathSize];
    PassFiles files;
    if (!ReadWindowsDir(windowsDir) || !files.Build(windowsDir, iniName, backupName, stem))
        return 0;
    FinishLeftovers(files);

    if (!CopyCompressedFile(files.ini, files.work) || !FlushToDisk(files.work)) {
        DeleteFileA(files.work);
        return 0;
    }
    std::FILE* in = std::fopen(files.work, "rb");
    std::FILE* out = in ? std::fopen(files.fresh, "wt") : nullptr;
    if (!out) {
        if (in)
            std::fclose(in);
        DeleteFileA(files.work);
        return 0;
    }

    LogContext log = {iniName};
    IniPassReport report;
    report.observe = LogLine;
    report.context = &log;
    bool ok = filter(in, WriteIniText, out, &report);
    if (std::ferror(in))
        ok = false;
    std::fclose(in);
    // Buffered text reaches the file only here; a full disk shows now.
    if (std::fflush(out) != 0 || std::ferror(out) || _commit(_fileno(out)) != 0)
        ok = false;
    if (std::fclose(out) != 0)
        ok = false;
    if (ok && finish)
        ok = finish(files.fresh, report) && FlushToDisk(files.fresh);
    if (!ok) {
        DeleteFileA(files.fresh);
        DeleteFileA(files.work);
        return 0;
    }
    if (report.dropped == 0 && report.replaced == 0 && SameContent(files.work, files.fresh)) {
        DeleteFileA(files.fresh);
        DeleteFileA(files.work);
        LogAction("%s: nothing of the package's left in it; unchanged", iniName);
        return 1;
    }
    // The .000 copy is a courtesy to the user; the pass does not depend on
    // it. It is only ever replaced by a whole text.
    if (!ReplaceFileWhole(files.work, files.backup))
        DeleteFileA(files.work);
    if (!ReplaceFileWhole(files.fresh, files.ini)) {
        LogAction("%s could not be replaced (error %d); it is as it was", iniName,
                  static_cast<int>(GetLastError()));
        DeleteFileA(files.fresh);
        return 0;
    }
    *rewritten = true;
    LogAction("%s rewritten; its old text is in %s", iniName, backupName);
    return 1;
}

// WIN.INI's new text gets what the profile functions did to WIN.INI itself
// before, so that it takes WIN.INI's place in the same one step: the six
// sections of the package's PostScript printer deleted (the pass has
// dropped them already, but the profile functions may read a header the
// pass does not), and the PostScript driver's counter one lower, but only
// when the pass removed entries of the package's: a run that finds none
// left has nothing to count down, so the counter changes once however often
// the removal is run.
bool FinishWinIniText(const char* fresh, const IniPassReport& report)
{
    for (const char* section : kPostScriptSections)
        WriteProfileValue(fresh, section, nullptr, nullptr);
    if (report.dropped == 0)
        return true;
    char text[kCounterSize];
    UINT count = GetPrivateProfileIntA("PSCRIPT", "External Printers", 0, fresh);
    if (!NextPrinterCount(count, text, sizeof text))
        return true;
    if (!WriteProfileValue(fresh, "PSCRIPT", "External Printers", text))
        return false;
    LogAction("Profile entry written: [PSCRIPT] External Printers=%s", text);
    return true;
}

// The work copy of the default-device scan, under a name fixed for it.
bool DeviceScanCopy(const char* windowsDir, char* path)
{
    return JoinPath(path, kPathSize, windowsDir, "WIN.QOD");
}

}  // namespace

int RestoreSystemIni(bool* rewritten)
{
    bool ignored;
    return RewriteIniFile("SYSTEM.INI", "SYSTEM.000", "SYSTEM", FilterSystemIni, nullptr,
                          rewritten ? rewritten : &ignored);
}

int ReadDefaultDevice()
{
    char windowsDir[kPathSize];
    char iniPath[kPathSize];
    char work[kPathSize];
    if (!ReadWindowsDir(windowsDir) || !JoinPath(iniPath, sizeof iniPath, windowsDir, "win.INI") ||
        !DeviceScanCopy(windowsDir, work))
        return 0;
    int result = 0;
    if (CopyCompressedFile(iniPath, work)) {
        if (std::FILE* in = std::fopen(work, "rb")) {
            ScanDefaultDevice(in, g_config.DefaultDevice, sizeof g_config.DefaultDevice);
            std::fclose(in);
            result = 1;
        }
    }
    DeleteFileA(work);
    return result;
}

namespace {

// The default printer is one of the package's.
bool DefaultIsPackagePrinter()
{
    char device[sizeof g_config.DefaultDevice];
    GetProfileStringA("windows", "device", "", device, sizeof device);
    return IsPackageDevice(device);
}

// The run line without QVWPD.EXE, read whole however long it is. 1 when
// nothing had to be written or the write succeeded; *changed tells whether
// the line named the program.
int RestoreRunLine(bool* changed)
{
    for (DWORD size = kFirstRunSize; size <= kMaxRunSize; size *= 2) {
        char* text = static_cast<char*>(std::malloc(size));
        if (!text)
            return 0;
        DWORD n = GetPrivateProfileStringA("Windows", "run", "", text, size, "win.ini");
        // A value that fills the buffer may have been cut: ask again.
        if (n + 1 >= size) {
            std::free(text);
            continue;
        }
        int result = 1;
        *changed = RemoveRunProgram(text);
        if (*changed) {
            if (WriteProfileValue(nullptr, "Windows", "run", text))
                LogAction("Profile entry written: [Windows] run=%s", text);
            else
                result = 0;
        }
        std::free(text);
        return result;
    }
    // Longer than any profile value should be: left as it is.
    return 1;
}

}  // namespace

int RestoreWinIni(bool* foundPackage)
{
    bool rewritten, ignored;
    bool& found = foundPackage ? *foundPackage : ignored;
    found = false;
    if (!RewriteIniFile("WIN.INI", "WIN.000", "WIN", FilterWinIni, FinishWinIniText, &rewritten))
        return 0;
    // Windows 95 keeps a copy of WIN.INI for the profile functions; written
    // back later, it would undo the pass.
    WriteProfileValue(nullptr, nullptr, nullptr, nullptr);
    // A run that finished the pass before it was cut off still finds the
    // package's printer as the default and puts the next one in its place.
    if (rewritten || DefaultIsPackagePrinter()) {
        found = true;
        ReadDefaultDevice();
        if (!WriteProfileValue(nullptr, "windows", "device", g_config.DefaultDevice))
            return 0;
        LogAction("Profile entry written: [windows] device=%s", g_config.DefaultDevice);
    }
    bool runChanged = false;
    int result = RestoreRunLine(&runChanged);
    found = found || runChanged;
    return result;
}

int RestoreIniFiles(bool* foundPackage)
{
    bool system = false, win = false;
    int result = 0;
    // The cached copy of Windows 95 goes to the file before the file pass
    // reads it, and is not written over the pass's result later.
    if (RestoreSystemIni(&system)) {
        WriteProfileValue(nullptr, nullptr, nullptr, nullptr);
        result = RestoreWinIni(&win) ? 1 : 0;
    }
    if (foundPackage)
        *foundPackage = system || win;
    return result;
}
