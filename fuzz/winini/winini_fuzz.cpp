// Arbitrary text through the WIN.INI pass: the output must consist only of
// whole lines of the input (CR LF folded), in their order; nothing is ever
// replaced, and only the package's sections, or the package's entries in
// the four filtered sections, are dropped.
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
    std::string output;
    Check(FilterWinIni(file, CollectText, &output));
    std::fclose(file);

    using State = WinIniFilter::State;
    std::string expected;
    WinIniFilter filter;
    State state = State::Outside;  // kept here from the headers alone
    for (const std::string& line : SplitLines(FoldCrLf(data, size))) {
        std::string scratch(line.size() + 1, '\0');
        LineAction action = filter.Next(line.c_str(), &scratch[0], scratch.size());
        std::string text(line.c_str());
        std::string trimmed = Trimmed(text);
        State before = state;
        bool header = HoldsPackageHeader(trimmed);
        if (header)
            state = State::Dropping;
        else if (IsFilteredSection(Lower(trimmed)))
            state = State::Filtering;
        else if (!trimmed.empty() && trimmed[0] == '[')
            state = State::Outside;
        Check(filter.state == state);
        Check(action != LineAction::Replace);
        if (action == LineAction::Write) {
            Check(state != State::Dropping);  // package sections are dropped whole
            expected += line;
            continue;
        }
        // Dropped: a package header, a line of a package section, or a
        // package entry of a filtered section.
        if (header || (before == State::Dropping && state == State::Dropping))
            continue;
        Check(before == State::Filtering && state == State::Filtering);
        std::string lower = Lower(text);
        Check(text.find('=') != std::string::npos);
        Check(lower.find("vornps") != std::string::npos || lower.find("qor") != std::string::npos);
    }
    Check(output == expected);
    return 0;
}
