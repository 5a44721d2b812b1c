// What the libFuzzer targets share: the check that turns a broken rule into a
// finding, the small text operations they use to restate a rule on their own,
// and the check the two INI targets make of a whole pass.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "inirestore/filters.h"

// A broken rule aborts, so that libFuzzer keeps the input that broke it.
inline void Check(bool condition) { if (!condition) std::abort(); }

// With the ASCII capitals in lower case.
inline std::string Lower(std::string s)
{
    for (char& c : s)
        c = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    return s;
}

// Without spaces, tabs and line feeds at either end.
inline std::string Trimmed(const std::string& s)
{
    size_t a = s.find_first_not_of(" \t\n"), b = s.find_last_not_of(" \t\n");
    return a == std::string::npos ? std::string() : s.substr(a, b - a + 1);
}

// The input through `pass`, and its lines through a `Filter` one by one: the
// pass must write exactly what the judgements ask for, so its output holds
// only whole lines of the input, in their order, or the replacement.
// `rule(filter, line, action)` checks each judgement against the rules. The
// lines are split here on their own, as a pass reads them: every CR LF pair
// folded into one line feed, each line up to and including its line feed,
// the last one perhaps without. The pass's report must name each line that
// was not written unchanged, once, in order, with the section it lay in.
template <class Filter, class Rule>
void CheckPass(bool (*pass)(std::FILE*, IniWriter, void*, IniPassReport*), const uint8_t* data,
               size_t size, Rule rule)
{
    // fmemopen refuses a zero size.
    std::FILE* file = size ? fmemopen(const_cast<uint8_t*>(data), size, "rb") : nullptr;
    if (!file)
        return;
    std::string output, expected;
    IniWriter collect = [](const char* text, size_t length, void* context) {
        static_cast<std::string*>(context)->append(text, length);
        return true;
    };
    std::string reported, expectedReport;
    IniPassReport report;
    report.context = &reported;
    report.observe = [](void* context, const char* section, const char* line, const char* replacement) {
        *static_cast<std::string*>(context) += std::string(section) + "|" + line + "|" +
                                               (replacement ? replacement : "-") + "\n";
    };
    Check(pass(file, collect, &output, &report));
    std::fclose(file);

    std::vector<std::string> lines;
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == '\r' && i + 1 < size && data[i + 1] == '\n')
            continue;
        if (lines.empty() || lines.back().back() == '\n')
            lines.emplace_back();
        lines.back() += static_cast<char>(data[i]);
    }
    Filter filter;
    std::string section;
    unsigned long dropped = 0, replaced = 0;
    for (const std::string& line : lines) {
        std::string text = Trimmed(std::string(line.c_str()));
        if (!text.empty() && text[0] == '[')
            section = text;
        std::string scratch(line.size() + 1, '\0');
        LineAction action = filter.Next(line.c_str(), &scratch[0], scratch.size());
        rule(filter, line, action);
        if (action != LineAction::Drop)
            expected += action == LineAction::Write ? line : std::string(Filter::kReplacement);
        if (action != LineAction::Write) {
            ++(action == LineAction::Drop ? dropped : replaced);
            expectedReport += section + "|" + line.c_str() + "|" +
                              (action == LineAction::Drop ? "-" : Filter::kReplacement) + "\n";
        }
    }
    Check(output == expected);
    Check(report.dropped == dropped && report.replaced == replaced && reported == expectedReport);
}
