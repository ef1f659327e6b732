#pragma once
// JSON Lines output: one flat object per event, built field by field. Text that is not valid
// UTF-8 (file names can hold any bytes) is written with U+FFFD in place of the bad bytes, so every
// line stays valid JSON.

#include <cstdint>
#include <string>
#include <vector>

namespace morlith::cli {

// `text` as a JSON string literal, quotes included.
std::string JsonQuote(const std::string &text);

// A flat JSON object, fields in the order added.
class TJsonObject {
public:
    // Starts an event object: {"event": name, ...}.
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

    // The object on one line, without a newline.
    std::string Line() const { return FText + "}"; }

private:
    TJsonObject &Raw(const std::string &key, const std::string &json);

    std::string FText;
};

} // namespace morlith::cli
