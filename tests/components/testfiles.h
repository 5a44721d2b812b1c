// Small file helpers shared by the tests that read the logs of the test
// doubles (components_double.exe, progman_double.exe).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "support/winsupport.h"

namespace testfiles {

inline std::string TempFile(const char* name)
{
    char dir[MAX_PATH];
    GetTempPathA(sizeof dir, dir);
    return std::string(dir) + name;
}

// The CRLF-terminated lines of a file; empty when it cannot be read.
inline std::vector<std::string> Lines(const std::string& path)
{
    std::string text;
    std::vector<std::string> lines;
    if (!winsupport::ReadFileText(path, &text))
        return lines;
    size_t start = 0, end;
    while ((end = text.find("\r\n", start)) != std::string::npos) {
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

}  // namespace testfiles
