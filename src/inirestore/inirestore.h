// Windows settings restore: SYSTEM.INI and WIN.INI rewritten without the
// package's entries, the profile cleanup, and the compressed-file copy.
#pragma once

#include <cstddef>
#include <cstdio>

// Copies `source` to `destination` through the LZ expansion library,
// expanding a compressed file. 1 on success (also for an empty file), 0 when
// either file cannot be opened or the copy fails.
int CopyCompressedFile(const char* source, const char* destination);

// The SYSTEM.INI pass, the six section deletions, the WIN.INI pass and the
// profile updates (device, run, External Printers). 1 on success, 0 on
// failure.
int RestoreIniFiles();

// SYSTEM.INI rewritten without the package's [386Enh] entries; the old
// content is kept in SYSTEM.000. 1 when the file was rewritten; 0 when it was
// not, and then SYSTEM.INI holds its old content.
int RestoreSystemIni();

// WIN.INI rewritten without the package's printers (old content in WIN.000),
// then the default printer, the run line and the PostScript counter updated.
// 0 when the rewrite or one of the profile writes failed.
int RestoreWinIni();

// Replaces g_config.DefaultDevice with the first printer of [devices] in
// WIN.INI (" " when that section has none). 1 when WIN.INI was read.
int ReadDefaultDevice();

// The two ways the restore writes, each in a file of its own so that a test
// can put its own in their place at link time:
// the bytes a rewriting pass keeps, to the INI file open in `file` (a FILE*);
// true when all `length` bytes went out.
bool WriteIniText(const char* text, std::size_t length, void* file);
// A WIN.INI value through the profile functions (WriteProfileStringA); with
// a null key a whole section goes, with everything null the cache is flushed.
// True on success.
bool WriteProfileValue(const char* section, const char* key, const char* value);
