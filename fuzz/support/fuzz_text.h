// What the libFuzzer targets share: the check that turns a broken rule into a
// finding, the small text operations they use to restate a rule on their own,
// and the line-by-line reading of an input as the INI passes read a file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

// A broken rule aborts, so that libFuzzer keeps the input that broke it.
inline void Check(bool condition)
{
    if (!condition)
        std::abort();
}

// With the ASCII capitals in lower case.
inline std::string Lower(std::string s)
{
    for (char& c : s)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return s;
}

// Without spaces, tabs and line feeds at either end.
inline std::string Trimmed(const std::string& s)
{
    size_t a = s.find_first_not_of(" \t\n");
    size_t b = s.find_last_not_of(" \t\n");
    return a == std::string::npos ? std::string() : s.substr(a, b - a + 1);
}

// The input as a text-mode read sees it: every CR LF pair as one line feed.
inline std::string FoldCrLf(const uint8_t* data, size_t size)
{
    std::string out;
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == '\r' && i + 1 < size && data[i + 1] == '\n')
            continue;
        out += static_cast<char>(data[i]);
    }
    return out;
}

// The input as a file open for binary reading; nullptr for an empty input
// (fmemopen refuses a zero size) or when it cannot be opened.
inline std::FILE* OpenBytes(const uint8_t* data, size_t size)
{
    if (size == 0)
        return nullptr;
    return fmemopen(const_cast<uint8_t*>(data), size, "rb");
}

// The lines of a text as a pass reads them: each up to and including its
// line feed, the last one perhaps without.
inline std::vector<std::string> SplitLines(const std::string& text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        end = end == std::string::npos ? text.size() : end + 1;
        lines.push_back(text.substr(start, end - start));
        start = end;
    }
    return lines;
}

// A pass's writer that collects what it is given.
inline bool CollectText(const char* text, size_t length, void* context)
{
    static_cast<std::string*>(context)->append(text, length);
    return true;
}
