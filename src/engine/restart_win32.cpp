// What Restart leaves for the next start of Windows: the batch and the
// system's pending list.
#include <windows.h>

#include "engine/engine.h"

void PrepareRestartRemoval()
{
    WriteDeferredDeletionBatch();
    QueueRestartDeletions();
}
