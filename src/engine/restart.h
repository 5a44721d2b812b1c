// Finishing the removal at the next start of Windows: the batch for the
// Windows 95 family, and the system's own restart-time deletion on NT, where
// winstart.bat is never run.
#pragma once

#include <cstddef>

#include "engine/removal_batch.h"

// What the system is asked to delete at the next restart, in this order:
// QORDELET.EXE in the install directory, then the install directory itself
// (removed only if it is empty by then). Nothing for kind 401, where the batch
// does it, and nothing when the batch would not be written for these paths.
// Returns the number of paths (0 or 2).
int RestartDeletionPaths(const char* windowsDir, const char* installDir, int systemDirKind,
                         char paths[2][kBatchTextSize]);

// On Restart, once per prompt: writes the batch and, on NT, queues the same
// deletions with the system. A queuing that fails changes nothing else.
void PrepareRestartRemoval();
