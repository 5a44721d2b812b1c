// The application shell: process-wide handles and display metrics, the main
// window, the message pumps, the configuration read at start-up and the one
// helper through which every message box is raised.
#pragma once

#include <windows.h>

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
extern int g_externalMode;
extern HWND g_welcomePage;
extern HWND g_completionPage;

// The whole run: start-up, the first page and the message loop. Returns the
// exit code (always 0).
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

// Loads string `id`, formats it with the arguments (bounded) and shows it.
int ShowMessage(HINSTANCE instance, HWND owner, UINT id, const char* caption, UINT style, ...);

// MessageBoxA, in a file of its own: a test that must see a box's text and
// style without a person to press OK links its own in its place.
int ShowMessageBox(HWND owner, const char* text, const char* caption, UINT style);
