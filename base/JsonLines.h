// SPDX-License-Identifier: MIT
#pragma once
// JSON Lines output: one flat object per event, built field by field. Text that is not valid
// UTF-8 (file names can hold any bytes) is written with U+FFFD in place of the bad bytes, so every
// line stays valid JSON.

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace morlith {

// `text` as a JSON string literal, quotes included.
std::string JsonQuote(const std::string &text);

// The version of the event format; it changes only when a field changes meaning or goes away.
constexpr int kJsonSchema = 1;

// `when` as ISO 8601 UTC with milliseconds: "2026-12-07T10:36:38.123Z".
std::string IsoUtcTime(std::chrono::system_clock::time_point when);

// A JSON object, fields in the order added.
class TJsonObject {
public:
    // An empty object, to nest in another.
    TJsonObject() : FText("{") {}
    // Starts an event object: {"event": name, "schema": 1, "time": now, ...}.
    explicit TJsonObject(const std::string &event);

    // Adds a text field.
    TJsonObject &Text(const std::string &key, const std::string &value);
    // Adds a whole-number field.
    TJsonObject &Number(const std::string &key, int64_t value);
    // Adds a number field with three decimals (seconds).
    TJsonObject &Decimal(const std::string &key, double value);
    // Adds a true/false field.
    TJsonObject &Flag(const std::string &key, bool value);
    // Adds an array of texts.
    TJsonObject &TextList(const std::string &key, const std::vector<std::string> &values);
    // Adds an array of objects.
    TJsonObject &ObjectList(const std::string &key, const std::vector<TJsonObject> &values);
    // Adds a nested object.
    TJsonObject &Object(const std::string &key, const TJsonObject &value);

    // The object on one line, without a newline.
    std::string Line() const { return FText + "}"; }

private:
    TJsonObject &Raw(const std::string &key, const std::string &json);

    std::string FText;
};

} // namespace morlith
