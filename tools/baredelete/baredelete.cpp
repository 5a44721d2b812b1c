// baredelete: the benchmark's floor. Deletes the files and removes the
// directories of a list, nothing else: no window, no message pumping, no
// settings, printers or groups. What QORDELET.EXE takes beyond this is its
// overhead.
//
//   baredelete.exe LISTFILE
//
// LISTFILE holds one entry a line, in the order they are carried out:
//   F <path>   delete the file (DeleteFileA)
//   D <path>   remove the directory if it is empty (RemoveDirectoryA)
// Other lines are passed over. A file or directory that cannot be deleted
// stays, as with the uninstaller. Prints one line of counts; exit code 0, or
// 1 when the list cannot be read, 2 on wrong arguments.
#include <windows.h>

#include <cstdio>
#include <cstring>

namespace {

constexpr DWORD kMaxList = 1024 * 1024;

char g_list[kMaxList + 1];

// Reads the whole list into g_list, zero-terminated; false when it cannot
// be read or is longer than the buffer.
bool ReadList(const char* path)
{
    HANDLE f = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE)
        return false;
    DWORD size = GetFileSize(f, nullptr);
    DWORD got = 0;
    bool ok = size != INVALID_FILE_SIZE && size <= kMaxList &&
              ReadFile(f, g_list, size, &got, nullptr) && got == size;
    CloseHandle(f);
    g_list[ok ? got : 0] = '\0';
    return ok;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: baredelete LISTFILE\n");
        return 2;
    }
    if (!ReadList(argv[1])) {
        std::fprintf(stderr, "baredelete: cannot read %s\n", argv[1]);
        return 1;
    }
    int files = 0, filesDeleted = 0, dirs = 0, dirsRemoved = 0;
    char* line = g_list;
    while (*line) {
        char* end = line + std::strcspn(line, "\r\n");
        char* next = end;
        while (*next == '\r' || *next == '\n')
            ++next;
        *end = '\0';
        if (line[0] == 'F' && line[1] == ' ' && line[2]) {
            ++files;
            if (DeleteFileA(line + 2))
                ++filesDeleted;
        } else if (line[0] == 'D' && line[1] == ' ' && line[2]) {
            ++dirs;
            if (RemoveDirectoryA(line + 2))
                ++dirsRemoved;
        }
        line = next;
    }
    std::printf("deleted %d of %d files, removed %d of %d directories\n", filesDeleted, files,
                dirsRemoved, dirs);
    return 0;
}
