// Helpers of the setup log tests: logs built from lines, parsed from a heap
// buffer of exactly their size, and queries into guarded buffers.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>
#include <memory>
#include <string>

#include "setuplog/tables.h"
#include "shell/config.h"

// The lines joined with CR LF, the last one too.
inline std::string Lines(std::initializer_list<std::string> lines)
{
    std::string text;
    for (const std::string& l : lines)
        text += l + "\r\n";
    return text;
}

// Parses `text` (which may hold zero bytes) from a buffer of exactly its size
// and the terminator, so that a read past the end shows under ASan.
inline void Parse(const std::string& text, int printerStyle = 0)
{
    g_config.PrinterStyle = printerStyle;
    std::unique_ptr<char[]> buf(new char[text.size() + 1]);
    std::memcpy(buf.get(), text.data(), text.size());
    buf[text.size()] = '\0';
    ParseSetupLog(buf.get());
}

// Runs a copying query into a buffer of `width` bytes followed by guard
// bytes; a write past the width fails the test.
inline std::string Ask(unsigned long op, unsigned long key, int width, int* result = nullptr)
{
    const std::string guard = "GUARD";
    std::string buf(width, '#');
    buf += guard;
    int r = SetupLogQuery(op, key, &buf[0]);
    if (result)
        *result = r;
    EXPECT_EQ(buf.substr(width), guard) << "op " << op << " key " << key << " wrote past " << width;
    EXPECT_NE(std::memchr(buf.data(), '\0', width), nullptr) << "op " << op << " left no terminator";
    return buf.c_str();
}
