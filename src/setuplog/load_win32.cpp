// SetupLogQuery in the Windows build: operation 0 reads QVSETUP.INF into a
// global memory block and hands the text to the parser, with the wait cursor
// up meanwhile; the other operations are answered by query.cpp.
#include <windows.h>

#include "setuplog/tables.h"

namespace {

// Releases the read buffer on every path out of the load.
struct GlobalBlock {
    HGLOBAL handle;
    char* text = nullptr;
    explicit GlobalBlock(SIZE_T bytes) : handle(GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes)) {}
    ~GlobalBlock()
    {
        if (text)
            GlobalUnlock(handle);
        if (handle)
            GlobalFree(handle);
    }
    GlobalBlock(const GlobalBlock&) = delete;
    GlobalBlock& operator=(const GlobalBlock&) = delete;
};

int LoadSetupLog(const char* path)
{
    // Room for the most the log may hold and the terminating zero byte.
    GlobalBlock block(kLogReadLimit + 1);
    if (!block.handle)
        return kLogNoMemory;
    if (!path)
        return kLogCannotOpen;
    OFSTRUCT of = {};
    HFILE file = OpenFile(path, &of, OF_READ);
    if (file == HFILE_ERROR)
        return kLogCannotOpen;
    block.text = static_cast<char*>(GlobalLock(block.handle));
    if (!block.text) {
        _lclose(file);
        return kLogNoMemory;
    }
    UINT got = _lread(file, block.text, kLogReadLimit);
    _lclose(file);
    // A read that fails half-way leaves the tables as the last load left
    // them, as when the file cannot be opened at all.
    if (got == static_cast<UINT>(HFILE_ERROR))
        return kLogCannotOpen;
    block.text[got] = '\0';

    HCURSOR previous = SetCursor(LoadCursorA(nullptr, IDC_WAIT));
    ParseSetupLogFile(block.text, got);
    SetCursor(previous);
    return kLogLoaded;
}

}  // namespace

int SetupLogQuery(unsigned long operation, unsigned long key, char* text)
{
    if (operation == kLoadLog)
        return LoadSetupLog(text);
    return AnswerSetupLogQuery(operation, key, text);
}
