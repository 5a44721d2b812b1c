// What the libFuzzer targets share: the check that turns a broken rule into a
// finding, the small text operations they use to restate a rule on their own,
// and the piece-by-piece reading of an input as the INI passes read a file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

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

// Checks each piece a piece reader hands out and joins them: a piece is never
// empty, fits its buffer with its terminator, holds a line feed only as its
// last character, and only the last piece of all may end short of both a line
// feed and a full buffer.
struct PieceTrail {
    bool ended = false;
    std::string joined;

    void Take(const char* piece, size_t length, size_t capacity)
    {
        Check(!ended);
        Check(length > 0 && length < capacity && piece[length] == '\0');
        std::string whole(piece, length);
        Check(whole.find('\n') == std::string::npos || whole.find('\n') == length - 1);
        ended = whole.back() != '\n' && length < capacity - 1;
        joined += whole;
    }
};
