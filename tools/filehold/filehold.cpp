// filehold.exe: holds a file open as a program holds a file it is using, so
// that nobody can delete it meanwhile, for the tests of files in use.
//
//   filehold.exe FILE SECONDS READY
//
// Opens FILE for reading, shared for reading only, then creates the file
// READY, and ends after SECONDS (or when the session ends). Exit code 0, or
// 1 when FILE cannot be opened or READY cannot be made.
#include <windows.h>

#include <cstdlib>

int main(int argc, char** argv)
{
    if (argc != 4)
        return 1;
    HANDLE held = CreateFileA(argv[1], GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (held == INVALID_HANDLE_VALUE)
        return 1;
    HANDLE ready = CreateFileA(argv[3], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (ready == INVALID_HANDLE_VALUE)
        return 1;
    CloseHandle(ready);
    Sleep(static_cast<DWORD>(std::strtoul(argv[2], nullptr, 10)) * 1000);
    CloseHandle(held);
    return 0;
}
