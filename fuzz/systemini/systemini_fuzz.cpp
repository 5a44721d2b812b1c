// Arbitrary text through the SYSTEM.INI pass, piece by piece as the pass
// reads it: the pieces must give back the whole text (CR LF folded), and the
// output may differ from it only by whole pieces of [386Enh] dropped or
// replaced as the filter's rules allow.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "inirestore/filters.h"

namespace {

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

std::string Lower(std::string s)
{
    for (char& c : s)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return s;
}

std::string Trimmed(const std::string& s)
{
    size_t a = s.find_first_not_of(" \t\n");
    size_t b = s.find_last_not_of(" \t\n");
    return a == std::string::npos ? std::string() : s.substr(a, b - a + 1);
}

std::string FoldCrLf(const uint8_t* data, size_t size)
{
    std::string out;
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == '\r' && i + 1 < size && data[i + 1] == '\n')
            continue;
        out += static_cast<char>(data[i]);
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    std::FILE* file = fmemopen(const_cast<uint8_t*>(data), size, "rb");
    if (!file)
        return 0;
    constexpr size_t kSize = SystemIniFilter::kPieceSize;
    SystemIniFilter filter;
    bool inside = false;  // kept here from the headers alone
    bool ended = false;   // a piece ended without a line feed before the buffer was full
    std::string joined;
    char piece[kSize];
    size_t length;
    while (ReadPiece(file, piece, sizeof piece, &length)) {
        Check(!ended);
        Check(length > 0 && length < kSize && piece[length] == '\0');
        std::string whole(piece, length);
        Check(whole.find('\n') == std::string::npos || whole.find('\n') == length - 1);
        ended = whole.back() != '\n' && length < kSize - 1;
        joined += whole;

        std::string text = Lower(std::string(piece));  // what the rules can see
        std::string trimmed = Trimmed(text);
        bool wasInside = inside;
        PieceAction action = filter.Next(piece);
        if (trimmed == "[386enh]")
            inside = true;
        else if (inside && !trimmed.empty() && trimmed[0] == '[')
            inside = false;
        Check(filter.inside == inside);

        if (action == PieceAction::Write)
            continue;
        Check(wasInside && inside);
        Check(text.find('=') != std::string::npos);
        if (action == PieceAction::Drop)
            Check(text.find("vornlpt") != std::string::npos ||
                  text.find("vornvmi.386") != std::string::npos);
        else
            Check(text.find(';') != std::string::npos && text.find("vpd.386") != std::string::npos);
    }
    std::fclose(file);
    Check(joined == FoldCrLf(data, size));
    return 0;
}
