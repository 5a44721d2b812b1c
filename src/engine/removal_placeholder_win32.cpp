// Placeholders until file removal and the batch are built: they remove nothing.
#include "engine/removal.h"

int DeleteInstalledFiles(HWND)
{
    return 1;
}

int RemoveInstallDirectories(HWND)
{
    return 1;
}

void WriteDeferredDeletionBatch()
{
}
