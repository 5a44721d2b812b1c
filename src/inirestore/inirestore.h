// Windows settings restore: SYSTEM.INI and WIN.INI rewritten without the
// package's entries, the profile cleanup, and the compressed-file copy.
#pragma once

// Copies `source` to `destination` through the LZ expansion library,
// expanding a compressed file. 1 on success (also for an empty file), 0 when
// either file cannot be opened or the copy fails.
int CopyCompressedFile(const char* source, const char* destination);

// The SYSTEM.INI pass, the WIN.INI pass and the profile updates. 1 on
// success, 0 on failure.
int RestoreIniFiles();
