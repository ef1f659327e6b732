// SPDX-License-Identifier: MIT
#pragma once
// Splitting a command line into options and other words, with CLI11: "--name value",
// "--name=value", short options with attached values ("-p71", "-pCOM3") that combine ("-qv",
// "-fp VALUE"), "--" ending the options and "-" alone as a word. Values stay text: each tool
// reads its numbers itself (decimal, so "010" is ten).

#include <string>
#include <vector>

namespace morlith {

// An option a tool knows: its long name without the dashes, its letter (0: none) and whether it
// takes a value.
struct TOptionName {
    std::string Long;
    char Short = 0;
    bool TakesValue = false;
};

// What stopped the split.
enum class TCommandLineProblem { clpNone, clpUnknownOption, clpNeedsValue, clpTakesNoValue, clpOther };

struct TCommandWords {
    // The options given, in order: the index into the known options and the value ("" for none).
    std::vector<std::pair<size_t, std::string>> Options;
    // The other words, in order.
    std::vector<std::string> Words;
    TCommandLineProblem Problem = TCommandLineProblem::clpNone;
    // The option as typed ("--bogus", "-x", "-p") for the problem, or CLI11's words for clpOther.
    std::string Subject;
    bool Ok() const { return Problem == TCommandLineProblem::clpNone; }
};

// Splits `words` (the words after the program name) by the options `known`.
TCommandWords SplitCommandWords(const std::vector<std::string> &words, const std::vector<TOptionName> &known);

} // namespace morlith
