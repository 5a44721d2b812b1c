// Restart-time deletion through the system's pending list. Apart from
// PrepareRestartRemoval, which a test may put its own in place of.
#include <windows.h>

#include "base/base.h"
#include "engine/engine.h"
#include "engine/removal.h"
#include "engine/restart.h"

namespace {

// The code is cleared before the call: a failure without one is said in
// words, not as an earlier call's code or "error 0", which reads as success.
void LogQueueFailure(const char* path)
{
    DWORD error = GetLastError();
    if (error != ERROR_SUCCESS)
        LogAction("Not queued for the next start of Windows (error %d): %s", static_cast<int>(error),
                  path);
    else
        LogAction("Not queued for the next start of Windows (the system refused and gave no "
                  "reason): %s",
                  path);
}

}  // namespace

void QueueRestartDeletions()
{
    static QueuedPath paths[kMaxQueued];
    int count = RestartDeletionPaths(g_deferred, paths);
    // Failures (an account that may not write the pending list) do not stop
    // the rest: the batch is written and the reboot goes ahead as before.
    // A file of the package's that is not queued is left.
    for (int i = 0; i < count; ++i) {
        const QueuedPath& queued = paths[i];
        // QORDELET.EXE is not there when it was started from elsewhere.
        if (GetFileAttributesA(queued.path) == INVALID_FILE_ATTRIBUTES)
            continue;
        bool ok = MayRemove(queued.base, queued.path, "Not queued for the next start of Windows");
        if (ok) {
            SetLastError(ERROR_SUCCESS);
            ok = MoveFileExA(queued.path, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT) != 0;
            if (ok)
                LogAction("Queued for deletion at the next start of Windows: %s", queued.path);
            else
                LogQueueFailure(queued.path);
        }
        if (!ok && queued.deferredFile) {
            --g_remains.waiting;
            NoteFileLeft(queued.path);
        }
    }
}
