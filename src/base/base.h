// The ground floor that every other folder stands on: case-blind compares, the
// path and text rules, the configuration record and its reading, the run's
// result, the action log, the message boxes, the message pumps and the
// program-wide handles that the pages and dialogs need.
#pragma once

#include <cstdarg>
#include <cstddef>

// ---- Case-blind comparison -------------------------------------------------

// Case-insensitive comparison of whole texts: file, section, key and
// command-line names. In the Windows build this is lstrcmpiA, so the program
// compares exactly as the system does; the native build folds ASCII letters.
int CompareNoCase(const char* a, const char* b);

// ---- Path and text rules ---------------------------------------------------

constexpr int kMaxPath = 260;

// dir + "\" + name, or dir + name when dir ends in a backslash. Returns false,
// and leaves out empty, when the result would not fit: a cut path can name
// another file.
bool JoinPath(char* out, std::size_t size, const char* dir, const char* name);

// Formats `format` into `out` (`size` bytes): %s, %d and %% only, all the
// program needs, without the C library's formatting. Returns the length, or
// -1, with out empty, when the text does not fit (or the format holds any
// other conversion): a cut path or command could name another file.
int FormatText(char* out, std::size_t size, const char* format, ...);
int FormatTextV(char* out, std::size_t size, const char* format, va_list args);

// Formats `format` piece by piece into `put`, with no buffer that a long
// text could overflow: %s, %d, %% and %l (a line: the text up to its first
// CR or LF). Any other conversion is written as it stands.
using TextSink = void (*)(void* context, const char* text, std::size_t length);
void StreamFormatV(TextSink put, void* context, const char* format, va_list args);

// NUMCOLORS is -1 on every display with more than 256 colours; only 0, 1 and
// 2 mean a monochrome display.
bool IsColourDisplay(int numColors);

// ---- The command line ------------------------------------------------------

// The whole tail, compared ignoring case; "External " does not match.
bool IsExternalTail(const char* tail);

// What the command tail asks for. Switches count anywhere and in any letter
// case: /S for an unattended run, /RESTART (with /S) for a restart at its
// end, /LOG=path or /LOG="path with blanks" for the action log. Without any
// switch, External is the whole tail as ever; beside switches it is the one
// other word. Anything else is ignored.
constexpr int kLogPathSize = 260;
struct CommandOptions {
    bool external = false;
    bool unattended = false;
    bool restart = false;
    bool log = false;      // /LOG was given
    bool logBad = false;   // ... without a path, with a quote left open, or too long
    char logPath[kLogPathSize] = "";
};
void ParseCommandTail(const char* tail, CommandOptions* options);

// ---- Program-wide records --------------------------------------------------
// Filled at start-up and read everywhere. One GUI thread, no locks.

struct ConfigRecord {
    // The Windows and system directories come from the system and may be
    // longer than the install directory's 65 characters, so they get
    // MAX_PATH buffers: a cut directory would name another place.
    char WindowsDir[kMaxPath];
    char SystemDir[kMaxPath];
    char MainTitle[32];
    char ErrorCaption[64];
    char WarningCaption[64];
    int PrinterStyle;
    // Read whole: a cut install directory would name another directory. A
    // path built from a long one simply does not fit, and is not used.
    char InstallDir[kMaxPath];
    char DefaultDevice[100];
    int NoInformation;
    int SystemDirKind;  // 401 or 403, set by the uninstall sequence
};

extern ConfigRecord g_config;
// What the command tail asked for (External, /S, /RESTART, /LOG=).
extern CommandOptions g_options;

// Each starts at 1 and drops to 0 when deleting that item's key file fails;
// the completion page lists the items whose flag is still 1.
extern int g_pclFlag;
extern int g_postScriptFlag;
extern int g_monitorFlag;
// 1 once Program Manager has deleted the package's group.
extern int g_groupFlag;

// What the file removal could not finish: how many of the package's files
// wait for the next start of Windows, and how many were left that nothing
// will remove, with the folder of the first of those.
struct RemovalRemains {
    int waiting;
    int left;
    char leftIn[kMaxPath];
};
extern RemovalRemains g_remains;

constexpr int kSystemDirIsWindowsSystem = 401;
constexpr int kSystemDirElsewhere = 403;

constexpr char kProductWord[] = "Brackenfield";

// ---- The run's result ------------------------------------------------------

// Exit codes of an unattended run, as the Windows Installer gives them, for
// the deployment tools that start it. A run through the pages exits with 0.
constexpr int kExitRemoved = 0;             // removed; nothing waits for a restart
constexpr int kExitRestartPending = 3010;   // removed; some files wait for the next start
constexpr int kExitRestartStarted = 1641;   // removed, and the restart was started
constexpr int kExitNothingToRemove = 1605;  // nothing to un-install
constexpr int kExitFailed = 1603;           // a step failed
constexpr int kExitAnotherCopy = 1618;      // another copy is running

// The run's outcome so far: its exit code and the words the log ends with.
// A run that ends without saying otherwise did not get to the end.
void SetRunResult(int exitCode, const char* text);
int RunResultCode();
const char* RunResultText();

// ---- The action log --------------------------------------------------------
// What /LOG=path asks for: plain text, appended to, one line for every action
// as it happens, flushed at the end of each phase. Every call is harmless
// when no log is open, so the subsystems log without asking whether anybody
// reads it.

// Opens the log for appending (creating it when it is missing) and writes
// its first header lines: the date and time and the command line. False
// when it cannot be opened for writing.
bool OpenActionLog(const char* path);
bool ActionLogOpen();

// One line of the log: `format` with %s, %d, %% and %l (a text up to its
// line end), and a CR LF after it.
void LogAction(const char* format, ...);

// The log's text is on the disk; called at the end of each phase.
void FlushActionLog();
// Flushed and closed; later lines go nowhere.
void CloseActionLog();

// ---- The Win32 half ---------------------------------------------------------
// Only in the Windows build: the pure logic of every folder sees the half
// above alone, and builds natively.
#ifdef _WIN32
#include <windows.h>

// Private messages to the main window (wParam and lParam 0).
constexpr UINT kStartUninstall = WM_USER + 1;  // run the whole removal
constexpr UINT kFinish = WM_USER + 3;          // open the restart prompt

// Every message box of the program: MB_OK | MB_ICONINFORMATION | MB_SYSTEMMODAL.
constexpr UINT kMessageStyle = 0x1040;

constexpr char kMainClass[] = "ExstallWinClass";
constexpr char kMainTitle[] = "QOR Brackenfield Un-Install";

extern HINSTANCE g_instance;
extern HWND g_mainWindow;
extern int g_horzRes;
extern int g_vertRes;
extern int g_numColors;  // NUMCOLORS of the display, read once
// The page that the message loop offers keys to; a page clears its own
// handle when it goes away.
extern HWND g_welcomePage;
extern HWND g_completionPage;

// WM_CREATE work of the main window. False when there is nothing to
// uninstall: message 1038 has been shown and the window destroyed.
bool LoadConfiguration(HWND window);
// The error box for a log that cannot be opened for writing (nothing shown
// in an unattended run).
void ReportLogNotWritable(const char* path);

// Loads string `id`, formats it with the arguments (bounded) and shows it,
// writing it to the action log too. In an unattended run nothing is shown:
// the text goes to the log only, and the result is IDOK.
int ShowMessage(HINSTANCE instance, HWND owner, UINT id, const char* caption, UINT style, ...);

// MessageBoxA, in a file of its own: a test that must see a box's text and
// style without a person to press OK links its own in its place.
int ShowMessageBox(HWND owner, const char* text, const char* caption, UINT style);

// Dispatches every pending message of the thread, without IsDialogMessageA.
void DrainMessages();
// Busy-waits the given time on GetTickCount, draining messages meanwhile.
void DelayPumping(DWORD milliseconds);
// True once DrainMessages has taken a WM_QUIT from the queue; the message loop
// then ends as soon as control is back there.
bool QuitPending(int* exitCode);
#endif
