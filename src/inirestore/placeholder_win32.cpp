// Placeholders until the settings restore is built: it changes nothing.
#include "inirestore/inirestore.h"

int CopyCompressedFile(const char*, const char*)
{
    return 0;
}

int RestoreIniFiles()
{
    return 1;
}
