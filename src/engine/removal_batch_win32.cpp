// Writing the deferred-deletion batch into winstart.bat, so that what cannot
// go while the uninstaller runs goes before Windows starts again, without
// ever losing the user's own winstart.bat.
#include <cstring>

#include "base/base.h"
#include "engine/engine.h"
#include "engine/removal.h"
#include "engine/removal_batch.h"
#include "engine/restart.h"

namespace {

// What this call's batch names besides the uninstaller: the deferred files
// and folders that are still where they must be. Whether a block was written.
DeferredList s_named;
bool s_written;

int ReadOneByte(void* context)
{
    HFILE file = *static_cast<HFILE*>(context);
    unsigned char byte;
    long n = _hread(file, &byte, 1);
    if (n == HFILE_ERROR)
        return kReadError;
    return n == 0 ? kEndOfInput : byte;
}

void WriteBlock(HFILE file, const BatchBlock& block)
{
    s_written = true;
    for (int i = 0; i < block.count; ++i)
        _hwrite(file, block.lines[i], static_cast<long>(std::strlen(block.lines[i])));
}

// A winstart.bat that an earlier run wrapped around the user's batch ends
// with the lines that call it and move it back. Wrapping that file again
// would restore our own old batch last and lose the user's; instead the new
// commands go in front of those two lines, which stay the file's last.
// True when the file was such a batch (whether or not it could be extended).
bool ExtendEarlierWrapper(HFILE file, const BatchPaths& paths)
{
    LONG size = _llseek(file, 0, FILE_END);
    if (size == HFILE_ERROR)
        return false;
    char tail[2 * kBatchTextSize + 2];
    LONG want = size < static_cast<LONG>(sizeof tail) ? size : static_cast<LONG>(sizeof tail);
    if (_llseek(file, size - want, FILE_BEGIN) == HFILE_ERROR)
        return false;
    if (_lread(file, tail, static_cast<UINT>(want)) != static_cast<UINT>(want))
        return false;
    for (int choice = 0; choice < kOldBatchChoices; ++choice) {
        char oldBatch[kBatchTextSize];
        std::size_t tailLength = 0;
        if (!BuildOldBatchPath(oldBatch, sizeof oldBatch, g_config.WindowsDir, choice))
            return false;
        if (!EndsWithWrapLines(tail, static_cast<std::size_t>(want), want == size, paths,
                               oldBatch, &tailLength))
            continue;
        BatchBlock block;
        if (BuildBatchBlock(&block, paths, oldBatch, &s_named) &&
            _llseek(file, size - static_cast<LONG>(tailLength), FILE_BEGIN) != HFILE_ERROR) {
            WriteBlock(file, block);
            LogAction("Batch for the next start of Windows extended: %s", paths.batch);
        }
        return true;
    }
    return false;
}

// Moves the user's winstart.bat aside and writes a new one that runs it once
// and moves it back. When oldstart.bat is taken the first free name of
// oldstar1.bat to oldstar9.bat is used; with none free nothing is written.
void WrapUserBatch(const BatchPaths& paths)
{
    for (int choice = 0; choice < kOldBatchChoices; ++choice) {
        char oldBatch[kBatchTextSize];
        BatchBlock block;
        if (!BuildOldBatchPath(oldBatch, sizeof oldBatch, g_config.WindowsDir, choice) ||
            !BuildBatchBlock(&block, paths, oldBatch, &s_named))
            return;
        if (GetFileAttributesA(oldBatch) != INVALID_FILE_ATTRIBUTES)
            continue;
        if (!MoveFileA(paths.batch, oldBatch))
            break;
        OFSTRUCT of = {};
        HFILE file = OpenFile(paths.batch, &of, OF_CREATE);
        if (file == HFILE_ERROR) {
            // Without the new batch nobody would run or restore the user's.
            MoveFileA(oldBatch, paths.batch);
            break;
        }
        WriteBlock(file, block);
        _lclose(file);
        LogAction("Batch for the next start of Windows written around the user's, moved to %s: %s",
                  oldBatch, paths.batch);
        return;
    }
    LogAction("Batch for the next start of Windows not written (the user's could not be moved aside): %s",
              paths.batch);
}

}  // namespace

long FindLineInFile(HFILE file, const char* text)
{
    long start;
    return FindLine(ReadOneByte, &file, text, LineMatch::Prefix, &start);
}

namespace {

// The deferred paths that pass the link check right before the batch names
// them, into s_named. On the Windows 95 family, where the batch is all there
// is, a file of the package's that does not pass is left.
void NameDeferredPaths()
{
    s_named.count = 0;
    for (int i = 0; i < g_deferred.count; ++i) {
        const DeferredPath& entry = g_deferred.paths[i];
        if (MayRemove(entry.base, entry.path, "Not named in the batch for the next start of Windows"))
            s_named.paths[s_named.count++] = entry;
        else if (!entry.directory && g_config.SystemDirKind == kSystemDirIsWindowsSystem) {
            --g_remains.waiting;
            NoteFileLeft(entry.path);
        }
    }
}

void WriteBatch();

}  // namespace

void WriteDeferredDeletionBatch()
{
    NameDeferredPaths();
    s_written = false;
    WriteBatch();
    if (s_written || g_config.SystemDirKind != kSystemDirIsWindowsSystem)
        return;
    // Without the batch the files that waited for it are left.
    for (int i = 0; i < s_named.count; ++i) {
        if (!s_named.paths[i].directory) {
            --g_remains.waiting;
            NoteFileLeft(s_named.paths[i].path);
        }
    }
}

namespace {

void WriteBatch()
{
    BatchPaths paths;
    BatchBlock block;
    // OpenFile keeps the path in OFSTRUCT's 128 bytes; a longer one is not
    // opened reliably.
    if (!BuildBatchPaths(&paths, g_config.WindowsDir, g_config.InstallDir) ||
        !BuildBatchBlock(&block, paths, nullptr, &s_named) || std::strlen(paths.batch) >= OFS_MAXPATHNAME) {
        LogAction("Batch for the next start of Windows not written (a path does not fit its commands)");
        return;
    }
    // The batch deletes and removes by these names at the next start, with
    // nobody to look: only names that lead where they say.
    const RemovalBase install(g_config.InstallDir);
    const char* refused = "Not queued for the next start of Windows";
    if (!MayRemove(install, paths.uninstaller, refused) || !MayRemove(install, paths.directory, refused)) {
        LogAction("Batch for the next start of Windows not written (a path it would name is kept)");
        return;
    }

    OFSTRUCT of = {};
    HFILE file = OpenFile(paths.batch, &of, OF_READWRITE);
    if (file == HFILE_ERROR) {
        // Creating truncates: a winstart.bat that exists but cannot be
        // opened for writing is left as it is.
        if (GetFileAttributesA(paths.batch) != INVALID_FILE_ATTRIBUTES) {
            LogAction("Batch for the next start of Windows not written (it cannot be opened): %s",
                      paths.batch);
            return;
        }
        file = OpenFile(paths.batch, &of, OF_CREATE);
        if (file == HFILE_ERROR) {
            LogAction("Batch for the next start of Windows not written (it cannot be made): %s",
                      paths.batch);
            return;
        }
        WriteBlock(file, block);
        _lclose(file);
        LogAction("Batch for the next start of Windows written: %s", paths.batch);
        return;
    }

    // A block of an earlier run ends in the own last line; the new block
    // starts where that line starts, so that line is replaced and the file
    // still ends in it. Only the exact line counts, and only as the file's
    // last line: a longer line that merely begins with it is the user's, and
    // lines after it were added since, by somebody else. Such a batch is
    // wrapped as a whole, like any batch of the user's.
    long start;
    if (FindLine(ReadOneByte, &file, paths.ownLastLine, LineMatch::WholeLast, &start) >= 0) {
        // Only line ends follow the line; they go with it.
        if (_llseek(file, start, FILE_BEGIN) != HFILE_ERROR) {
            WriteBlock(file, block);
            SetEndOfFile(reinterpret_cast<HANDLE>(static_cast<INT_PTR>(file)));
            LogAction("Batch for the next start of Windows written again: %s", paths.batch);
        }
        _lclose(file);
        return;
    }
    bool extended = ExtendEarlierWrapper(file, paths);
    _lclose(file);
    if (!extended)
        WrapUserBatch(paths);
}

}  // namespace
