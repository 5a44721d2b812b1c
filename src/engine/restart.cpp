// Which paths the system deletes at the next restart.
#include "engine/restart.h"

#include <cstring>

#include "shell/config.h"

int RestartDeletionPaths(const char* windowsDir, const char* installDir, int systemDirKind,
                         char paths[2][kBatchTextSize])
{
    if (systemDirKind != kSystemDirElsewhere)
        return 0;
    // The very paths of the batch's del and rmdir lines: never anything the
    // batch itself would not delete.
    BatchPaths batch;
    if (!BuildBatchPaths(&batch, windowsDir, installDir))
        return 0;
    std::memcpy(paths[0], batch.uninstaller, kBatchTextSize);
    std::memcpy(paths[1], batch.directory, kBatchTextSize);
    return 2;
}
