// Restart-time deletion through the system's pending list. Apart from
// PrepareRestartRemoval, which a test may put its own in place of.
#include <windows.h>

#include "base/base.h"
#include "engine/engine.h"
#include "engine/removal.h"
#include "engine/restart.h"

void QueueRestartDeletions()
{
    char paths[2][kMaxPath];
    int count = RestartDeletionPaths(paths);
    // Failures (an account that may not write the pending list) are not
    // reported: the batch is written and the reboot goes ahead as before.
    for (int i = 0; i < count; ++i) {
        if (!MayRemove(g_config.InstallDir, paths[i], "Not queued for the next start of Windows"))
            continue;
        if (MoveFileExA(paths[i], nullptr, MOVEFILE_DELAY_UNTIL_REBOOT))
            LogAction("Queued for deletion at the next start of Windows: %s", paths[i]);
        else
            LogAction("Not queued for the next start of Windows (error %d): %s",
                      static_cast<int>(GetLastError()), paths[i]);
    }
}
