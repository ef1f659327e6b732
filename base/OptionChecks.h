// SPDX-License-Identifier: MIT
#pragma once
// Checks of option values for the tools' CLI11 command lines. Numbers go through our own parser:
// decimal ("010" is ten), hexadecimal only where an option says so. Each complaint follows the
// option's name: "--mcu takes a whole number from 0 to 4, not \"5\"".

#include <CLI/CLI.hpp>

#include <cstdint>
#include <string>
#include <vector>

namespace morlith {

enum class TNumberForm { nfDecimal, nfDecimalOrHex };

// A whole number within [min, max], rewritten as plain decimal for CLI11 to store. `what` names
// the range in the complaint when "a whole number from min to max" would not say it well.
CLI::Validator WholeNumber(uint64_t min, uint64_t max, TNumberForm form = TNumberForm::nfDecimal,
                           const std::string &what = "");

// "a, b or c".
std::string AlternativesText(const std::vector<std::string> &names);

// One of `names`, as typed.
CLI::Validator OneOf(const std::vector<std::string> &names);

// Any text but the empty one, which gets `complaint` ("empty file name").
CLI::Validator NotEmpty(const std::string &complaint);

} // namespace morlith
