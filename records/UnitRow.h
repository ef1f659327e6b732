// SPDX-License-Identifier: MIT
#pragma once
// A unit record as the store and the summaries see it: the fields they key, filter and count
// by, read from one line of a production log (schema "unit/..."), with the line kept as written.
// Serials are exact over the whole 64-bit range.

#include <nlohmann/json.hpp>

#include <cstdint>
#include <optional>
#include <string>

namespace morlith {

struct TUnitRow {
    std::string Unit;
    std::optional<uint64_t> Serial;
    std::string Station;
    // The socket the unit sat in: the record's "socket", else its "port".
    std::string Socket;
    std::string Lot;
    std::string Operator;
    // "started", then "ok", "failed", "stopped", "interrupted", ... as the station wrote it.
    std::string Result;
    // The record's time, in ms since 1970 UTC; and when the unit was started, once known.
    int64_t TimeMs = 0;
    std::optional<int64_t> StartedMs;
    std::string RecipeSha256;
    // The record as written, one JSON line.
    std::string Line;
};

// The unit record on `line`; nothing when the line is no unit record (not JSON, another
// schema, no unit id, a time that ParseUtcTime does not read, a serial that is not a 64-bit number).
std::optional<TUnitRow> ParseUnitLine(const std::string &line);

// A serial as a record holds it: an unsigned integer, decimal text, or a negative integer that
// an older writer made of a number at or above 2^63 (read back as the number it was). Nothing
// for anything else; `value` must not be null.
std::optional<uint64_t> SerialOfJson(const nlohmann::json &value);

} // namespace morlith
