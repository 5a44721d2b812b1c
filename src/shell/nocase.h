// Case-insensitive comparison of whole texts: file, section, key and
// command-line names. In the Windows build this is lstrcmpiA, so the program
// compares exactly as the system does; the native build folds ASCII letters.
#pragma once

int CompareNoCase(const char* a, const char* b);
