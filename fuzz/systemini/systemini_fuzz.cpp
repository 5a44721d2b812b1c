// Arbitrary text through the SYSTEM.INI pass, piece by piece as the pass
// reads it: the pieces must give back the whole text (CR LF folded), and the
// output may differ from it only by whole pieces of [386Enh] dropped or
// replaced as the filter's rules allow.
#include <cstdint>
#include <cstdio>
#include <string>

#include "../support/fuzz_text.h"
#include "inirestore/filters.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::FILE* file = OpenBytes(data, size);
    if (!file)
        return 0;
    constexpr size_t kSize = SystemIniFilter::kPieceSize;
    SystemIniFilter filter;
    bool inside = false;  // kept here from the headers alone
    PieceTrail trail;
    char piece[kSize];
    size_t length;
    while (ReadPiece(file, piece, sizeof piece, &length)) {
        trail.Take(piece, length, sizeof piece);

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
    Check(trail.joined == FoldCrLf(data, size));
    return 0;
}
