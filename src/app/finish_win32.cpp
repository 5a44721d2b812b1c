// The handlers of the end of a run: the restart prompt's loop, whose Restart
// writes the deferred-deletion batch once and asks Windows to restart while
// Exit tells the user to remove the rest by hand, and the end of an
// unattended run, which takes the same course without asking.
#include "app/app.h"
#include "base/base.h"
#include "engine/engine.h"
#include "resource.h"
#include "wizard/wizard.h"

bool EnableShutdownPrivilege()
{
    HANDLE token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token))
        return false;
    TOKEN_PRIVILEGES privileges = {};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    bool enabled = LookupPrivilegeValueA(nullptr, "SeShutdownPrivilege", &privileges.Privileges[0].Luid) &&
                   AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr) &&
                   GetLastError() == ERROR_SUCCESS;  // not ERROR_NOT_ALL_ASSIGNED
    CloseHandle(token);
    return enabled;
}

void RunRestartPromptLoop(HWND owner)
{
    bool batchWritten = false;
    for (;;) {
        INT_PTR choice = ShowRestartPrompt(owner);
        if (choice != IDC_RESTART) {
            // Exit, or a prompt that could not be shown at all: asking again
            // would fail again forever, so the user is told what is left.
            LogAction("Restart prompt: %s", choice == IDC_EXIT ? "Exit" : "could not be shown");
            SetRunResult(kExitRestartPending, "removed; what is left is to be removed by hand");
            ShowMessage(g_instance, owner, IDS_REMOVE_BY_HAND, g_config.WarningCaption,
                        kMessageStyle);
            DestroyWindow(owner);
            return;
        }
        LogAction("Restart prompt: Restart");
        if (!batchWritten) {
            PrepareRestartRemoval();
            batchWritten = true;
        }
        // Refused (a program that vetoes): ask again. Accepted: the session's
        // end closes the program; it waits in its loop, its log complete.
        EnableShutdownPrivilege();
        if (RequestReboot()) {
            SetRunResult(kExitRestartStarted, "removed; Windows is restarting to finish the removal");
            EndActionLog();
            return;
        }
        LogAction("Windows refused the restart");
    }
}

void FinishUnattendedRun(HWND owner)
{
    // As Restart leaves it: the system's own list on NT, the batch on the 95
    // family, where the system has none and runs winstart.bat.
    if (g_config.SystemDirKind == kSystemDirElsewhere)
        QueueRestartDeletions();
    else
        WriteDeferredDeletionBatch();
    // The install directory goes at the next start at the earliest while it
    // still holds QORDELET.EXE (or anything else); a file that waits for the
    // next start is said; one that nothing will remove fails the run, which
    // is never reported as a whole removal while it is there.
    bool waiting = g_remains.waiting > 0 ||
                   (g_config.InstallDir[0] != '\0' &&
                    GetFileAttributesA(g_config.InstallDir) != INVALID_FILE_ATTRIBUTES);
    const char* left = g_remains.left > 0
                           ? "not all removed: files of the package's were left that nothing will "
                             "remove; the log names them"
                           : nullptr;
    if (g_options.restart) {
        EnableShutdownPrivilege();
        if (RequestReboot()) {
            if (left)
                SetRunResult(kExitFailed, left);
            else
                SetRunResult(kExitRestartStarted, "removed, and the restart that finishes it was started");
            EndActionLog();
            DestroyWindow(owner);
            return;
        }
        LogAction("Windows refused the restart");
    }
    if (left)
        SetRunResult(kExitFailed, left);
    else if (waiting)
        SetRunResult(kExitRestartPending, "removed; some files wait for the next start of Windows");
    else
        SetRunResult(kExitRemoved, "removed; nothing waits for a restart");
    DestroyWindow(owner);
}
