// Arbitrary text through the WIN.INI pass, piece by piece as the pass reads
// it: the pieces must give back the whole text (CR LF folded), nothing is
// ever replaced, and only whole pieces of the package's sections, or the
// package's entries in the four filtered sections, are dropped.
#include <cstdint>
#include <cstdio>
#include <string>

#include "../support/fuzz_text.h"
#include "inirestore/filters.h"

namespace {

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
    std::FILE* file = OpenBytes(data, size);
    if (!file)
        return 0;
    using State = WinIniFilter::State;
    constexpr size_t kSize = WinIniFilter::kPieceSize;
    WinIniFilter filter;
    State state = State::Outside;  // kept here from the headers alone
    PieceTrail trail;
    char piece[kSize];
    size_t length;
    while (ReadPiece(file, piece, sizeof piece, &length)) {
        trail.Take(piece, length, sizeof piece);

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
    Check(trail.joined == FoldCrLf(data, size));
    return 0;
}
