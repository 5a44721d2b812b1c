// Which paths the system deletes at the next restart: the rule behind the
// NT side of finishing the removal at the next start of Windows, where
// winstart.bat is never run.
#pragma once

#include "base/base.h"

// What the system is asked to delete at the next restart, in this order:
// QORDELET.EXE in the install directory, then the install directory itself
// (removed only if it is empty by then, and only when it is the package's own
// folder). Nothing for kind 401, where the batch does it. The paths only have
// to fit: unlike the batch's commands, nothing here splits them at blanks.
// Returns the number of paths (0 to 2).
int RestartDeletionPaths(char paths[2][kMaxPath]);
