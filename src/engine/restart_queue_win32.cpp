// Restart-time deletion through the system's pending list. Apart from
// PrepareRestartRemoval, which a test may put its own in place of.
#include <windows.h>

#include "engine/restart.h"
#include "shell/actionlog.h"
#include "shell/config.h"

void QueueRestartDeletions()
{
    char paths[2][kMaxPath];
    int count = RestartDeletionPaths(paths);
    // Failures (an account that may not write the pending list) are not
    // reported: the batch is written and the reboot goes ahead as before.
    for (int i = 0; i < count; ++i) {
        SetLastError(ERROR_SUCCESS);
        if (MoveFileExA(paths[i], nullptr, MOVEFILE_DELAY_UNTIL_REBOOT)) {
            LogAction("Queued for deletion at the next start of Windows: %s", paths[i]);
            continue;
        }
        // The code was cleared before the call: a failure without one is
        // said in words, not as an earlier call's code or "error 0", which
        // reads as success.
        DWORD error = GetLastError();
        if (error != ERROR_SUCCESS)
            LogAction("Not queued for the next start of Windows (error %d): %s",
                      static_cast<int>(error), paths[i]);
        else
            LogAction("Not queued for the next start of Windows (the system refused and gave no "
                      "reason): %s",
                      paths[i]);
    }
}
