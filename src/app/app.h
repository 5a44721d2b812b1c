// The application on top of everything: the entry point, the main window and
// its backdrop, the handlers of its start and finish messages, the uninstall
// sequence, the restart prompt's actions and the exit codes.
#pragma once

#include <windows.h>

// The whole run: start-up, the first page and the message loop. Returns the
// exit code (0 for a run through the pages; the result's in an unattended
// one).
int RunApplication(HINSTANCE instance, const char* commandTail, int showCommand);

LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
void PaintBackdrop(HDC dc);

// The whole removal in its fixed order. 1 on success; 0 after a failure,
// whose message has been shown and the main window destroyed.
int RunUninstall();

// The `finish` handler: restart prompt until Exit or an accepted reboot.
void RunRestartPromptLoop(HWND owner);
// The end of an unattended run, in place of the completion page and the
// prompt: what Restart would leave for the next start of Windows is queued
// as Restart queues it, Windows is restarted only when /RESTART asks for it,
// the result is set and the main window destroyed.
void FinishUnattendedRun(HWND owner);

// Enables SeShutdownPrivilege in the process's token: NT refuses a restart
// without it, and it is disabled for every user until asked for. Where there
// are no privileges (the Windows 95 family) this does nothing. True when the
// privilege is enabled now.
bool EnableShutdownPrivilege();
// ExitWindowsEx(EWX_REBOOT), in a file of its own: a test that must see the
// restart requested without restarting the session links its own in its
// place (as it may for PrepareRestartRemoval).
bool RequestReboot();

// The exit code: the result's in an unattended run, 0 otherwise.
int RunExitCode();
// The log's last line, once: the result and its exit code. The log is then
// closed.
void EndActionLog();
