// SPDX-License-Identifier: MIT
#pragma once
// Reading a command line with a CLI11 app in the form the tools share: options before or after
// the command, "--name value" and "--name=value" (an empty value too), short options with
// attached values ("-pCOM3") that combine ("-qv"), "--" ending the options, "-" alone as a word,
// and a word starting with '/' a path on every platform, never an option. Problems come back in
// the tool's words, never as CLI11's exceptions.

#include <CLI/CLI.hpp>

#include <string>
#include <vector>

namespace morlith {

enum class TCommandLineOutcome { cloParsed, cloHelp, cloVersion, cloError };

struct TCommandLineReading {
    TCommandLineOutcome Outcome = TCommandLineOutcome::cloParsed;
    // The command chosen and its own command, as typed: {"ports", "map"}; empty for none.
    std::vector<std::string> Command;
    // cloError: what is wrong ("--verify does not go with connect").
    std::string Error;
};

// Sets `app` up before anything is declared on it (its commands inherit it): the forms above, an
// option given twice keeps the last value, at most one command, and -h/--help and -V/--version
// (described by `help` and `version`), which win over everything after them.
void PrepareCommandLine(CLI::App &app, const std::string &help, const std::string &version);

// Reads `words` (those after the program name) with `app`.
TCommandLineReading ReadCommandLine(CLI::App &app, const std::vector<std::string> &words);

// The command line of `command` as usage shows it: its names from below the program, its
// arguments, the options it must have, and "COMMAND [ARGS]" when it runs one of its own
// commands: "pack FILE --out PACKAGE", "ports map COM<n> DEVICE", "watch COMMAND [ARGS]".
std::string CommandUsage(const CLI::App &command);

} // namespace morlith
