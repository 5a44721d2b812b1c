// The two deletions of the removal, in a file of their own: a test that must
// cut a run off at a chosen file or directory (as a power cut would) links
// its own in their place.
#include "engine/removal.h"

bool DeleteRemovalFile(const char* path)
{
    return DeleteFileA(path) != 0;
}

bool RemoveRemovalDirectory(const char* path)
{
    return RemoveDirectoryA(path) != 0;
}
