// Which paths the system deletes at the next restart.
#include "engine/restart.h"

#include <cstring>

#include "base/base.h"
#include "engine/removal_rules.h"

int RestartDeletionPaths(char paths[2][kMaxPath])
{
    const ConfigRecord& c = g_config;
    if (c.SystemDirKind != kSystemDirElsewhere || c.InstallDir[0] == '\0')
        return 0;
    if (!JoinPath(paths[0], kMaxPath, c.InstallDir, "QORDELET.EXE"))
        return 0;
    if (!IsPackageInstallDir())
        return 1;
    std::size_t n = std::strlen(c.InstallDir);
    std::memcpy(paths[1], c.InstallDir, n + 1);
    if (n > 0 && paths[1][n - 1] == '\\')
        paths[1][n - 1] = '\0';
    return 2;
}
