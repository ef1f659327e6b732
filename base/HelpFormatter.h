// SPDX-License-Identifier: MIT
#pragma once
// The --help of a tool, drawn from its CLI11 declarations: the description as written, the
// commands in their groups (each with the options only it takes beneath it, then its own
// commands), every other option once in its group, and the footer as written; wrapped to 80
// columns.

#include <CLI/CLI.hpp>

#include <string>

namespace morlith {

// The group of an option that is listed beneath its command rather than among the options.
extern const char *const kCommandOwnGroup;
// The group of an option that works but is not listed (an older name).
extern const char *const kUnlistedGroup;

class THelpFormatter : public CLI::Formatter {
public:
    // Option descriptions start at column `optionColumn`.
    explicit THelpFormatter(size_t optionColumn);
    std::string make_help(const CLI::App *app, std::string name, CLI::AppFormatMode mode) const override;

private:
    std::string Commands(const CLI::App &app) const;
    std::string CommandEntry(const CLI::App &command) const;
    std::string Options(const CLI::App &app) const;

    size_t FOptionColumn;
};

} // namespace morlith
