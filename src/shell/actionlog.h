// The action log that /LOG=path asks for: plain text, appended to, one line
// for every action as it happens, flushed at the end of each phase. Every
// call is harmless when no log is open, so the subsystems log without
// asking whether anybody reads it.
#pragma once

// Opens the log for appending (creating it when it is missing) and writes
// its first header lines: the date and time and the command line. False
// when it cannot be opened for writing.
bool OpenActionLog(const char* path);
bool ActionLogOpen();

// One line of the log: `format` with %s, %d, %% and %l (a text up to its
// line end), and a CR LF after it.
void LogAction(const char* format, ...);

// The log's text is on the disk; called at the end of each phase.
void FlushActionLog();
// Flushed and closed; later lines go nowhere.
void CloseActionLog();
