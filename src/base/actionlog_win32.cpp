// The action log, written with plain Win32 file calls through a small buffer
// of its own: nothing the program logs can overflow it, however long.
#include <windows.h>

#include <cstdarg>
#include <cstring>

#include "base/base.h"

namespace {

HANDLE s_log = INVALID_HANDLE_VALUE;
char s_pending[1024];
std::size_t s_pendingLength = 0;

void WriteOut(const char* text, std::size_t length)
{
    // Another copy of the program may append to the same log: every write
    // goes to the end as it is now.
    SetFilePointer(s_log, 0, nullptr, FILE_END);
    while (length > 0) {
        DWORD written = 0;
        DWORD chunk = length > 0x10000 ? 0x10000 : static_cast<DWORD>(length);
        if (!WriteFile(s_log, text, chunk, &written, nullptr) || written == 0)
            return;  // a full disk: the run goes on without its log
        text += written;
        length -= written;
    }
}

void Drain()
{
    if (s_pendingLength > 0)
        WriteOut(s_pending, s_pendingLength);
    s_pendingLength = 0;
}

void Put(void*, const char* text, std::size_t length)
{
    if (s_pendingLength + length > sizeof s_pending) {
        Drain();
        if (length > sizeof s_pending) {
            WriteOut(text, length);
            return;
        }
    }
    std::memcpy(s_pending + s_pendingLength, text, length);
    s_pendingLength += length;
}

// A line goes out whole, in one write, before the next action: a run that
// is cut off still leaves what it did.
void PutLineV(const char* format, va_list args)
{
    StreamFormatV(Put, nullptr, format, args);
    Put(nullptr, "\r\n", 2);
    Drain();
}

void PutLine(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    PutLineV(format, args);
    va_end(args);
}

}  // namespace

bool OpenActionLog(const char* path)
{
    CloseActionLog();
    HANDLE file = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    s_log = file;
    SYSTEMTIME now;
    GetLocalTime(&now);
    char stamp[32];
    wsprintfA(stamp, "%04u-%02u-%02u %02u:%02u:%02u", now.wYear, now.wMonth, now.wDay, now.wHour,
              now.wMinute, now.wSecond);
    PutLine("");
    PutLine("QOR Brackenfield Un-Install, started %s", stamp);
    PutLine("Command line: %s", GetCommandLineA());
    return true;
}

bool ActionLogOpen()
{
    return s_log != INVALID_HANDLE_VALUE;
}

void LogAction(const char* format, ...)
{
    if (s_log == INVALID_HANDLE_VALUE)
        return;
    va_list args;
    va_start(args, format);
    PutLineV(format, args);
    va_end(args);
}

void FlushActionLog()
{
    if (s_log == INVALID_HANDLE_VALUE)
        return;
    Drain();
    FlushFileBuffers(s_log);
}

void CloseActionLog()
{
    if (s_log == INVALID_HANDLE_VALUE)
        return;
    FlushActionLog();
    CloseHandle(s_log);
    s_log = INVALID_HANDLE_VALUE;
}
