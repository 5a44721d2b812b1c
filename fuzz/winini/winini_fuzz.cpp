// Arbitrary text through the WIN.INI pass: the output must consist only of
// whole lines of the input (CR LF folded), in their order; nothing is ever
// replaced, and only the package's sections, or the package's entries in
// the four filtered sections, are dropped.
#include <cstdint>
#include <string>

#include "../support/fuzz_text.h"
#include "inirestore/filters.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using State = WinIniFilter::State;
    State state = State::Outside;  // kept here from the headers alone
    auto rule = [&state](const WinIniFilter& filter, const std::string& line, LineAction action) {
        std::string text(line.c_str()), trimmed = Trimmed(text), section = Lower(trimmed);
        bool header = false;
        for (const char* printer : kPackagePrinters)
            header = header || trimmed.find(std::string("[") + printer) != std::string::npos;
        State before = state;
        if (header)
            state = State::Dropping;
        else if (section == "[pscript]" || section == "[printerports]" || section == "[devices]" ||
                 section == "[ports]")
            state = State::Filtering;
        else if (!trimmed.empty() && trimmed[0] == '[')
            state = State::Outside;
        Check(filter.state == state && action != LineAction::Replace);
        if (action == LineAction::Write) {
            Check(state != State::Dropping);  // package sections are dropped whole
            return;
        }
        // Dropped: a package header, a line of a package section, or a
        // package entry of a filtered section.
        if (header || (before == State::Dropping && state == State::Dropping))
            return;
        std::string lower = Lower(text);
        Check(before == State::Filtering && state == State::Filtering && text.find('=') != std::string::npos);
        Check(lower.find("vornps") != std::string::npos || lower.find("qor") != std::string::npos);
    };
    CheckPass<WinIniFilter>(FilterWinIni, data, size, rule);
    return 0;
}
