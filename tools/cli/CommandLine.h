// SPDX-License-Identifier: MIT
#pragma once
// The arguments the tool was started with, as UTF-8 text (one implementation per platform: on
// Windows they are taken from the wide command line, which holds any name, not from the narrow
// one, which holds only what the code page can).

#include <string>
#include <vector>

namespace morlith::cli {

// The arguments after the program's name.
std::vector<std::string> CommandLineArguments(int argc, char **argv);

} // namespace morlith::cli
