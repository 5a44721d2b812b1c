// Arbitrary text through the SYSTEM.INI pass: the output must consist only of
// whole lines of the input (CR LF folded), in their order, with only lines of
// [386Enh] dropped or replaced, and only as the filter's rules allow.
#include <cstdint>
#include <string>

#include "../support/fuzz_text.h"
#include "inirestore/filters.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    bool inside = false;  // kept here from the headers alone
    auto rule = [&inside](const SystemIniFilter& filter, const std::string& line, LineAction action) {
        std::string text = Lower(std::string(line.c_str()));  // what the rules can see
        std::string trimmed = Trimmed(text);
        bool wasInside = inside;
        if (trimmed == "[386enh]")
            inside = true;
        else if (inside && !trimmed.empty() && trimmed[0] == '[')
            inside = false;
        Check(filter.inside == inside);
        if (action == LineAction::Write)
            return;
        Check(wasInside && inside && text.find('=') != std::string::npos);
        if (action == LineAction::Drop)
            Check(text.find("vornlpt") != std::string::npos || text.find("vornvmi.386") != std::string::npos);
        else
            Check(text.find(';') != std::string::npos && text.find("vpd.386") != std::string::npos);
    };
    CheckPass<SystemIniFilter>(FilterSystemIni, data, size, rule);
    return 0;
}
