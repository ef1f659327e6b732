// SPDX-License-Identifier: MIT
#pragma once
// Times as the production log writes them and `log --since` takes them: ISO 8601 UTC, read
// exactly to the millisecond over any year a log may name.

#include <chrono>
#include <optional>
#include <string>

namespace morlith {

// A UTC time to the millisecond.
using TUtcTime = std::chrono::time_point<std::chrono::system_clock, std::chrono::milliseconds>;

// "2026-07-13", "2026-07-13T10:15", seconds, their fraction (1 to 9 digits) and a closing "Z"
// optional, a blank for the "T". Nothing for anything else, an impossible date or time included.
std::optional<TUtcTime> ParseUtcTime(const std::string &text);

// The earliest record time that --since `text` lets through: a UTC date or time (ParseUtcTime)
// or an age before `now` ("90s", "30m", "2h", "7d"). Nothing when `text` is none of these.
std::optional<TUtcTime> SinceThreshold(const std::string &text, std::chrono::system_clock::time_point now);

} // namespace morlith
