// Where a rewriting pass's kept lines go: the INI file opened in text mode.
#include "inirestore/inirestore.h"

bool WriteIniText(const char* text, std::size_t length, void* file)
{
    return std::fwrite(text, 1, length, static_cast<std::FILE*>(file)) == length;
}
