// SPDX-License-Identifier: MIT
#pragma once
// JSON Lines: events and records are built as nlohmann/json objects (fields in the order added)
// and written one per line. Text that is not valid UTF-8 (file names can hold any bytes) is
// written with \ufffd in place of the bad bytes, so every line stays valid JSON, and numbers with
// a fraction (seconds) are written with exactly three decimals.

#include <nlohmann/json.hpp>

#include <chrono>
#include <optional>
#include <string>

namespace morlith {

// An object keeps its fields in the order they were added.
using TJson = nlohmann::ordered_json;

// `text` as a JSON string literal, quotes included.
std::string JsonQuote(const std::string &text);

// The version of the event format; it changes only when a field changes meaning or goes away.
constexpr int kJsonSchema = 1;

// `when` as ISO 8601 UTC with milliseconds: "2026-12-07T10:36:38.123Z".
std::string IsoUtcTime(std::chrono::system_clock::time_point when);

// An event object: {"event": name, "schema": 1, "time": now}, then `fields` in their order.
TJson JsonEvent(const std::string &event, const TJson &fields = TJson::object());

// `value` on one line, without a newline: strings as JsonQuote writes them, fractions with three
// decimals, everything else as JSON writes it.
std::string JsonLine(const TJson &value);

// One line of JSON text read back (white space around the value allowed); nothing when the line
// is not one JSON value or nests deeper than a record ever does.
std::optional<nlohmann::json> ParseJsonLine(const std::string &text);

// Sets the field `key` of `object` to the file name `path`; a name that is not valid UTF-8 (a file
// system may hold any bytes) also gets "<key>_bytes", its exact bytes in hexadecimal, since the
// text written for it has U+FFFD in place of the bad bytes and no longer names the file.
void SetPathField(TJson &object, const std::string &key, const std::string &path);

// The field `key` of an object; null when absent or `value` is not an object.
const nlohmann::json *JsonField(const nlohmann::json &value, const char *key);
// The text of the field `key`; "" when absent or not text.
std::string JsonTextOf(const nlohmann::json &value, const char *key);

} // namespace morlith
