// SPDX-License-Identifier: MIT
#include "CommandLine.h"

namespace morlith::cli {

std::vector<std::string> CommandLineArguments(int argc, char **argv)
{
    return std::vector<std::string>(argv + 1, argv + argc);
}

} // namespace morlith::cli
