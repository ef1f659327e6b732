// SPDX-License-Identifier: MIT
#pragma once
// Station mode: `watch COMMAND ...` runs a device command on every port that appears, each in its
// own session, until Ctrl-C; then it counts the modules and ends with 0 when none failed.

#include "CliOptions.h"
#include "Console.h"

namespace morlith::cli {

// Runs `watch`; returns the exit status.
int RunWatch(const TCliOptions &options, TConsole &console);

} // namespace morlith::cli
