// The settings restore on the system: the work-copy procedure of the two INI
// rewrites, the default-device scan, and the profile writes that follow.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "inirestore/filters.h"
#include "inirestore/inirestore.h"
#include "shell/config.h"
#include "shell/rules.h"

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

// The temporary work copy of a pass. GetTempFileNameA creates the file, so
// no other program can take the name between choosing and using it. The
// file goes when the pass ends, unless it holds the only whole copy left.
class WorkCopy {
public:
    WorkCopy() = default;
    WorkCopy(const WorkCopy&) = delete;
    WorkCopy& operator=(const WorkCopy&) = delete;
    ~WorkCopy()
    {
        if (created_ && !keep_)
            DeleteFileA(path_);
    }
    bool Create(const char* windowsDir)
    {
        created_ = GetTempFileNameA(windowsDir, "QOR", 0, path_) != 0;
        return created_;
    }
    void Keep() { keep_ = true; }
    const char* Path() const { return path_; }

private:
    char path_[MAX_PATH] = "";
    bool created_ = false;
    bool keep_ = false;
};

// One rewriting pass: the INI file is saved as its .000 copy, copied to a
// work copy, and written again, in text mode, from the lines of the work
// copy that `filter` keeps. The INI file is only emptied once the work copy
// is open to refill it, and a failed write puts the old content back.
int RewriteIniFile(const char* iniName, const char* backupName,
                   bool (*filter)(std::FILE*, IniWriter, void*))
{
    char windowsDir[kPathSize];
    char iniPath[kPathSize];
    char backupPath[kPathSize];
    if (!ReadWindowsDir(windowsDir) || !JoinPath(iniPath, sizeof iniPath, windowsDir, iniName) ||
        !JoinPath(backupPath, sizeof backupPath, windowsDir, backupName))
        return 0;
    WorkCopy work;
    if (!work.Create(windowsDir))
        return 0;
    // The .000 copy is a courtesy to the user; the pass does not depend on it.
    CopyCompressedFile(iniPath, backupPath);
    if (!CopyCompressedFile(iniPath, work.Path()))
        return 0;

    std::FILE* in = std::fopen(work.Path(), "rb");
    if (!in)
        return 0;
    std::FILE* out = std::fopen(iniPath, "wt");
    if (!out) {
        std::fclose(in);
        return 0;
    }

    bool ok = filter(in, WriteIniText, out);
    if (std::ferror(in))
        ok = false;
    std::fclose(in);
    // Buffered text reaches the disk only here; a full disk shows now.
    if (std::fflush(out) != 0 || std::ferror(out))
        ok = false;
    if (std::fclose(out) != 0)
        ok = false;
    if (!ok) {
        // Byte for byte, not through the LZ library: the work copy is the
        // old content exactly. Should even that fail, the work copy stays.
        if (!CopyFileA(work.Path(), iniPath, FALSE))
            work.Keep();
        return 0;
    }
    return 1;
}

}  // namespace

int RestoreSystemIni()
{
    return RewriteIniFile("SYSTEM.INI", "SYSTEM.000", FilterSystemIni);
}

int ReadDefaultDevice()
{
    char windowsDir[kPathSize];
    char iniPath[kPathSize];
    if (!ReadWindowsDir(windowsDir) || !JoinPath(iniPath, sizeof iniPath, windowsDir, "win.INI"))
        return 0;
    WorkCopy work;
    if (!work.Create(windowsDir) || !CopyCompressedFile(iniPath, work.Path()))
        return 0;
    std::FILE* in = std::fopen(work.Path(), "rb");
    if (!in)
        return 0;
    ScanDefaultDevice(in, g_config.DefaultDevice, sizeof g_config.DefaultDevice);
    std::fclose(in);
    return 1;
}

namespace {

// The run line without QVWPD.EXE, read whole however long it is. 1 when
// nothing had to be written or the write succeeded.
int RestoreRunLine()
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
        if (RemoveRunProgram(text) && !WriteProfileValue("Windows", "run", text))
            result = 0;
        std::free(text);
        return result;
    }
    // Longer than any profile value should be: left as it is.
    return 1;
}

}  // namespace

int RestoreWinIni()
{
    if (!RewriteIniFile("WIN.INI", "WIN.000", FilterWinIni))
        return 0;
    // Windows 95 keeps a copy of WIN.INI for the profile functions; written
    // back later, it would undo the pass.
    WriteProfileValue(nullptr, nullptr, nullptr);
    ReadDefaultDevice();
    if (!WriteProfileValue("windows", "device", g_config.DefaultDevice))
        return 0;
    if (!RestoreRunLine())
        return 0;

    char text[kCounterSize];
    UINT count = GetProfileIntA("PSCRIPT", "External Printers", 0);
    if (NextPrinterCount(count, text, sizeof text) &&
        !WriteProfileValue("PSCRIPT", "External Printers", text))
        return 0;
    return 1;
}

int RestoreIniFiles()
{
    if (!RestoreSystemIni())
        return 0;
    // Dropped again by the WIN.INI pass should the profile fail to delete one.
    for (const char* section : kPostScriptSections)
        WriteProfileValue(section, nullptr, nullptr);
    // The cached copy of Windows 95 goes to the file before the file pass
    // reads it, and is not written over the pass's result later.
    WriteProfileValue(nullptr, nullptr, nullptr);
    return RestoreWinIni() ? 1 : 0;
}
