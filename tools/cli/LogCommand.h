// SPDX-License-Identifier: MIT
#pragma once
// `log [FILE]`: the production records of a log file, or of the store when no file is given, as a
// table (time, port, operation, file, result), as JSON lines, as CSV, or summed up per lot,
// station and socket; filtered by time, result, serial, unit, station and lot.

#include "CliOptions.h"
#include "Console.h"

namespace morlith::cli {

// Runs `log`; returns the exit status.
int RunLog(const TCliOptions &options, TConsole &console);

} // namespace morlith::cli
