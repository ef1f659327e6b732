// SPDX-License-Identifier: MIT
#pragma once
// The whole tool behind main: parses the command line and runs the command.

#include "Console.h"

#include <string>
#include <vector>

namespace morlith::cli {

// Runs morlith-cli with the words after the program name; returns the exit status.
int RunCli(const std::vector<std::string> &words, TConsole &console);

} // namespace morlith::cli
