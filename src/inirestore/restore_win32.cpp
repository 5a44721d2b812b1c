// The settings restore on the system: the work-copy procedure of the two INI
// rewrites, the default-device scan, and the profile writes that follow.
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "inirestore/filters.h"
#include "inirestore/inirestore.h"
#include "shell/config.h"
#include "shell/rules.h"

PieceWriter g_writePiece = WritePieceToFile;

bool WritePieceToFile(const char* text, std::size_t length, std::FILE* file)
{
    return std::fwrite(text, 1, length, file) == length;
}

namespace {

constexpr int kPathSize = 100;  // the Windows directory and the paths in it
constexpr int kProfileSize = 200;

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
// work copy, and written again, in text mode, from the pieces of the work
// copy that `Filter` keeps. The INI file is only emptied once the work copy
// is open to refill it, and a failed write puts the old content back.
template <class Filter>
int RewriteIniFile(const char* iniName, const char* backupName)
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

    Filter filter;
    char piece[Filter::kPieceSize];
    std::size_t length;
    bool ok = true;
    while (ok && ReadPiece(in, piece, sizeof piece, &length)) {
        switch (filter.Next(piece)) {
        case PieceAction::Write:
            ok = g_writePiece(piece, length, out);
            break;
        case PieceAction::Replace:
            ok = g_writePiece(Filter::kReplacement, std::strlen(Filter::kReplacement), out);
            break;
        case PieceAction::Drop:
            break;
        }
    }
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
    return RewriteIniFile<SystemIniFilter>("SYSTEM.INI", "SYSTEM.000");
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
    DefaultDeviceScan scan;
    char piece[DefaultDeviceScan::kPieceSize];
    std::size_t length;
    while (ReadPiece(in, piece, sizeof piece, &length)) {
        if (scan.Next(piece, g_config.DefaultDevice, sizeof g_config.DefaultDevice))
            break;
    }
    std::fclose(in);
    return 1;
}

int RestoreWinIni()
{
    if (!RewriteIniFile<WinIniFilter>("WIN.INI", "WIN.000"))
        return 0;
    ReadDefaultDevice();
    if (!WriteProfileStringA("windows", "device", g_config.DefaultDevice))
        return 0;

    char text[kProfileSize];
    DWORD n = GetPrivateProfileStringA("Windows", "run", "", text, sizeof text, "win.ini");
    // A value that fills the buffer may have been cut; written back, it would
    // lose the user's programs at its end, so it is left as it is.
    if (n + 1 < sizeof text && RemoveRunProgram(text)) {
        if (!WriteProfileStringA("Windows", "run", text))
            return 0;
    }

    UINT count = GetProfileIntA("PSCRIPT", "External Printers", 0);
    if (NextPrinterCount(count, text, sizeof text) &&
        !WriteProfileStringA("PSCRIPT", "External Printers", text))
        return 0;
    return 1;
}

int RestoreIniFiles()
{
    if (!RestoreSystemIni())
        return 0;
    // Dropped again by the WIN.INI pass should the profile fail to delete one.
    for (const char* section : kPostScriptSections)
        WriteProfileStringA(section, nullptr, nullptr);
    return RestoreWinIni() ? 1 : 0;
}
