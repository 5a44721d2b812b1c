// The application shell: process-wide handles and display metrics, the main
// window, the message pumps, the configuration read at start-up and the one
// helper through which every message box is raised.
#pragma once

#include <windows.h>

#include "shell/actionlog.h"
#include "shell/config.h"
#include "shell/rules.h"

// Private messages to the main window (wParam and lParam 0).
constexpr UINT kStartUninstall = WM_USER + 1;  // run the whole removal
constexpr UINT kFinish = WM_USER + 3;          // open the restart prompt

// Every message box of the program: MB_OK | MB_ICONINFORMATION | MB_SYSTEMMODAL.
constexpr UINT kMessageStyle = 0x1040;

constexpr char kMainClass[] = "ExstallWinClass";
constexpr char kMainTitle[] = "QOR Brackenfield Un-Install";
constexpr char kProductWord[] = "Brackenfield";

extern HINSTANCE g_instance;
extern HWND g_mainWindow;
extern int g_horzRes;
extern int g_vertRes;
extern int g_numColors;  // NUMCOLORS of the display, read once
extern HWND g_welcomePage;
extern HWND g_completionPage;
// What the command tail asked for (External, /S, /RESTART, /LOG=).
extern CommandOptions g_options;

// Exit codes of an unattended run, as the Windows Installer gives them, for
// the deployment tools that start it. A run through the pages exits with 0.
constexpr int kExitRemoved = 0;             // removed; nothing waits for a restart
constexpr int kExitRestartPending = 3010;   // removed; some files wait for the next start
constexpr int kExitRestartStarted = 1641;   // removed, and the restart was started
constexpr int kExitNothingToRemove = 1605;  // nothing to un-install
constexpr int kExitFailed = 1603;           // a step failed
constexpr int kExitAnotherCopy = 1618;      // another copy is running

// The run's outcome so far: its exit code and the words the log ends with.
void SetRunResult(int exitCode, const char* text);
// The exit code: the result's in an unattended run, 0 otherwise.
int RunExitCode();
// The log's last line, once: the result and its exit code. The log is then
// closed.
void EndActionLog();

// The whole run: start-up, the first page and the message loop. Returns the
// exit code (0 for a run through the pages; the result's in an unattended
// one).
int RunApplication(HINSTANCE instance, const char* commandTail, int showCommand);

LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
void PaintBackdrop(HDC dc);

// Dispatches every pending message of the thread, without IsDialogMessageA.
void DrainMessages();
// Busy-waits the given time on GetTickCount, draining messages meanwhile.
void DelayPumping(DWORD milliseconds);
// True once DrainMessages has taken a WM_QUIT from the queue; the message loop
// then ends as soon as control is back there.
bool QuitPending(int* exitCode);

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
