// Finishing the removal at the next start of Windows: the batch for the
// Windows 95 family, and the system's own restart-time deletion on NT, where
// winstart.bat is never run.
#pragma once

#include "shell/config.h"

// What the system is asked to delete at the next restart, in this order:
// QORDELET.EXE in the install directory, then the install directory itself
// (removed only if it is empty by then, and only when it is the package's own
// folder). Nothing for kind 401, where the batch does it. The paths only have
// to fit: unlike the batch's commands, nothing here splits them at blanks.
// Returns the number of paths (0 to 2).
int RestartDeletionPaths(char paths[2][kMaxPath]);

// On Restart, once per prompt: writes the batch and, on NT, queues the same
// deletions with the system. A queuing that fails changes nothing else.
void PrepareRestartRemoval();
// The second half of that alone: the deletions queued with the system (on
// NT; nothing on the Windows 95 family). An unattended run takes this on NT,
// where winstart.bat is never run, and the batch on the 95 family.
void QueueRestartDeletions();
