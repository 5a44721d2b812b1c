// The compressed-file copy: a file copied through the LZ expansion library,
// expanded on the way when it was compressed in that library's format.
#include <windows.h>
#include <lzexpand.h>

#include "inirestore/inirestore.h"

namespace {

// LZOpenFileA wants writable strings; a path that does not fit is refused,
// never cut, since a cut path names another file.
bool CopyPath(char* out, int size, const char* path)
{
    if (lstrlenA(path) >= size)
        return false;
    lstrcpynA(out, path, size);
    return true;
}

}  // namespace

int CopyCompressedFile(const char* source, const char* destination)
{
    char from[MAX_PATH];
    char to[MAX_PATH];
    if (!CopyPath(from, sizeof from, source) || !CopyPath(to, sizeof to, destination))
        return 0;
    OFSTRUCT sourceInfo = {};
    OFSTRUCT destinationInfo = {};
    INT sourceFile = LZOpenFileA(from, &sourceInfo, OF_READ);
    if (sourceFile < 0)
        return 0;
    INT destinationFile = LZOpenFileA(to, &destinationInfo, OF_CREATE);
    if (destinationFile < 0) {
        LZClose(sourceFile);
        return 0;
    }
    // The size written, or a negative LZERROR_* code.
    LONG copied = LZCopy(sourceFile, destinationFile);
    LZClose(sourceFile);
    LZClose(destinationFile);
    return copied >= 0 ? 1 : 0;
}
