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
// failure. *foundPackage, when given, tells whether anything of the
// package's was found in them (and so removed or changed).
int RestoreIniFiles(bool* foundPackage = nullptr);

// SYSTEM.INI rewritten without the package's [386Enh] entries; the old
// content is kept in SYSTEM.000. 1 when the file was rewritten, or when
// nothing in it had to change (and then neither it nor SYSTEM.000 is
// touched); 0 when it was not, and then SYSTEM.INI holds its old content.
// The file is only ever replaced whole: a run cut off at any moment leaves
// the old text or the new one, and the next run finishes what it left.
// *rewritten, when given, tells whether it was rewritten.
int RestoreSystemIni(bool* rewritten = nullptr);

// WIN.INI rewritten without the package's printers (old content in WIN.000)
// and with the PostScript counter one lower, in one replacement, then the
// default printer and the run line updated. The default printer is only
// written when the pass found the package's entries or it is one of the
// package's printers: a user's own choice of printer is never overwritten by
// a run that finds nothing of the package's. 0 when the rewrite or one of
// the profile writes failed. *foundPackage, when given, tells whether
// anything of the package's was found.
int RestoreWinIni(bool* foundPackage = nullptr);

// Replaces g_config.DefaultDevice with the first printer of [devices] in
// WIN.INI (" " when that section has none). 1 when WIN.INI was read.
int ReadDefaultDevice();

// `from` takes `to`'s place in one step (a move that replaces, written
// through). Where the system has no such move (the Windows 95 family),
// ReplaceFileInTwoSteps: `to` is deleted, then `from` renamed to it. False
// when `to` was not replaced, with the system's error; a `to` that another
// program holds open is asked for again until kReplaceWait has passed.
constexpr unsigned long kReplaceWait = 2000;  // milliseconds
bool ReplaceFileWhole(const char* from, const char* to);
bool ReplaceFileInTwoSteps(const char* from, const char* to);

// The two ways the restore writes, each in a file of its own so that a test
// can put its own in their place at link time:
// the bytes a rewriting pass keeps, to its new text open in `file` (a FILE*);
// true when all `length` bytes went out.
bool WriteIniText(const char* text, std::size_t length, void* file);
// A value through the profile functions: of WIN.INI when `file` is null
// (WriteProfileStringA), else of that file (WritePrivateProfileStringA). With
// a null key a whole section goes, with everything null the cache is
// flushed. True on success.
bool WriteProfileValue(const char* file, const char* section, const char* key, const char* value);
