// Arbitrary text through the SYSTEM.INI pass: the output must consist only of
// whole lines of the input (CR LF folded), in their order, with only lines of
// [386Enh] dropped or replaced, and only as the filter's rules allow.
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
    std::string output;
    Check(FilterSystemIni(file, CollectText, &output));
    std::fclose(file);

    // The same lines judged one by one: the pass wrote exactly what each
    // judgement asked for, and each judgement keeps to the rules.
    std::string expected;
    SystemIniFilter filter;
    bool inside = false;  // kept here from the headers alone
    for (const std::string& line : SplitLines(FoldCrLf(data, size))) {
        std::string scratch(line.size() + 1, '\0');
        LineAction action = filter.Next(line.c_str(), &scratch[0], scratch.size());
        std::string text = Lower(std::string(line.c_str()));  // what the rules can see
        std::string trimmed = Trimmed(text);
        bool wasInside = inside;
        if (trimmed == "[386enh]")
            inside = true;
        else if (inside && !trimmed.empty() && trimmed[0] == '[')
            inside = false;
        Check(filter.inside == inside);
        if (action == LineAction::Write) {
            expected += line;
            continue;
        }
        Check(wasInside && inside);
        Check(text.find('=') != std::string::npos);
        if (action == LineAction::Drop) {
            Check(text.find("vornlpt") != std::string::npos || text.find("vornvmi.386") != std::string::npos);
        } else {
            Check(text.find(';') != std::string::npos && text.find("vpd.386") != std::string::npos);
            expected += SystemIniFilter::kReplacement;
        }
    }
    Check(output == expected);
    return 0;
}
