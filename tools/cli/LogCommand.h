#pragma once
// `log FILE`: the production log as a table (time, port, operation, file, result), filtered by
// --since and --failed; with --json the matching records as they stand.

#include "CliOptions.h"
#include "Console.h"

#include <chrono>
#include <optional>
#include <string>

namespace morlith::cli {

// The earliest record time that --since `text` lets through, as ISO 8601 UTC text comparable with
// a record's time: a date ("2026-07-13"), a date and time ("2026-07-13T10:15", seconds and a
// closing "Z" optional, a blank for the "T"), all UTC, or an age before `now` ("90s", "30m",
// "2h", "7d"). Nothing when `text` is none of these.
std::optional<std::string> SinceThreshold(const std::string &text, std::chrono::system_clock::time_point now);

// Runs `log`; returns the exit status.
int RunLog(const TCliOptions &options, TConsole &console);

} // namespace morlith::cli
