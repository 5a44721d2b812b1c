// Restart-time deletion through the system's pending list.
#include <windows.h>

#include "engine/removal.h"
#include "engine/restart.h"
#include "shell/config.h"

void PrepareRestartRemoval()
{
    WriteDeferredDeletionBatch();

    char paths[2][kMaxPath];
    int count = RestartDeletionPaths(paths);
    // Failures (an account that may not write the pending list) are not
    // reported: the batch is written and the reboot goes ahead as before.
    for (int i = 0; i < count; ++i)
        MoveFileExA(paths[i], nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
}
