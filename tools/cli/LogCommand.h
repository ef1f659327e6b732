// SPDX-License-Identifier: MIT
#pragma once
// `log FILE`: the production log as a table (time, port, operation, file, result), filtered by
// --since and --failed; with --json the matching records as they stand.

#include "CliOptions.h"
#include "Console.h"

#include <chrono>
#include <optional>
#include <string>

namespace morlith::cli {

// A UTC time to the millisecond, over any year a log may name.
using TUtcTime = std::chrono::time_point<std::chrono::system_clock, std::chrono::milliseconds>;

// An ISO 8601 UTC date or time as the log writes and --since takes it: "2026-07-13",
// "2026-07-13T10:15", seconds, their fraction and a closing "Z" optional, a blank for the "T".
// Nothing for anything else, an impossible date or time included.
std::optional<TUtcTime> ParseUtcTime(const std::string &text);

// The earliest record time that --since `text` lets through: a UTC date or time (ParseUtcTime)
// or an age before `now` ("90s", "30m", "2h", "7d"). Nothing when `text` is none of these.
std::optional<TUtcTime> SinceThreshold(const std::string &text, std::chrono::system_clock::time_point now);

// Runs `log`; returns the exit status.
int RunLog(const TCliOptions &options, TConsole &console);

} // namespace morlith::cli
