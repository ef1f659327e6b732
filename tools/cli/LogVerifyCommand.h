// SPDX-License-Identifier: MIT
#pragma once
// `log --verify FILE`: follows the production log's chain and names the first line where it breaks.

#include "CliOptions.h"
#include "Console.h"

namespace morlith::cli {

// Runs `log --verify`; 0 when the chain holds, 1 when it breaks, 2 when the file cannot be read.
int RunLogVerify(const TCliOptions &options, TConsole &console);

} // namespace morlith::cli
