// Arbitrary text through the WIN.INI pass, piece by piece as the pass reads
// it: the pieces must give back the whole text (CR LF folded), nothing is
// ever replaced, and only whole pieces of the package's sections, or the
// package's entries in the four filtered sections, are dropped.
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

bool HoldsPackageHeader(const std::string& text)
{
    for (const char* printer : kPackagePrinters)
        if (text.find(std::string("[") + printer) != std::string::npos)
            return true;
    return false;
}

bool IsFilteredSection(const std::string& lowerTrimmed)
{
    return lowerTrimmed == "[pscript]" || lowerTrimmed == "[printerports]" ||
           lowerTrimmed == "[devices]" || lowerTrimmed == "[ports]";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    std::FILE* file = fmemopen(const_cast<uint8_t*>(data), size, "rb");
    if (!file)
        return 0;
    using State = WinIniFilter::State;
    constexpr size_t kSize = WinIniFilter::kPieceSize;
    WinIniFilter filter;
    State state = State::Outside;  // kept here from the headers alone
    bool ended = false;
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

        std::string text(piece);
        std::string trimmed = Trimmed(text);
        State before = state;
        PieceAction action = filter.Next(piece);
        bool header = HoldsPackageHeader(trimmed);
        if (header)
            state = State::Dropping;
        else if (IsFilteredSection(Lower(trimmed)))
            state = State::Filtering;
        else if (!trimmed.empty() && trimmed[0] == '[')
            state = State::Outside;
        Check(filter.state == state);

        Check(action != PieceAction::Replace);
        if (action == PieceAction::Write) {
            Check(state != State::Dropping);  // package sections are dropped whole
            continue;
        }
        // Dropped: a package header, a piece of a package section, or a
        // package entry of a filtered section.
        if (header || (before == State::Dropping && state == State::Dropping))
            continue;
        Check(before == State::Filtering && state == State::Filtering);
        std::string lower = Lower(text);
        Check(text.find('=') != std::string::npos);
        Check(lower.find("vornps") != std::string::npos || lower.find("qor") != std::string::npos);
    }
    std::fclose(file);
    Check(joined == FoldCrLf(data, size));
    return 0;
}
