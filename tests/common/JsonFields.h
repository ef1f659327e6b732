// SPDX-License-Identifier: MIT
#pragma once
// Reading what the programs write as JSON Lines, with a JSON library rather than by slicing text.

#include <nlohmann/json.hpp>

#include <sstream>
#include <string>
#include <vector>

namespace morlith::test {

// The values of the lines of `text` that are JSON; other lines are skipped.
inline std::vector<nlohmann::json> JsonLinesOf(const std::string &text)
{
    std::vector<nlohmann::json> values;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        nlohmann::json value = nlohmann::json::parse(line, nullptr, false);
        if (!value.is_discarded())
            values.push_back(std::move(value));
    }
    return values;
}

// The last JSON line of `text` (a --json run's result), null when there is none.
inline nlohmann::json LastJsonOf(const std::string &text)
{
    const std::vector<nlohmann::json> values = JsonLinesOf(text);
    return values.empty() ? nlohmann::json() : values.back();
}

// The value named `key` in `value` or the objects it holds, the first found depth first; null
// when there is none.
inline nlohmann::json ValueOf(const nlohmann::json &value, const std::string &key)
{
    if (value.is_object()) {
        const auto found = value.find(key);
        if (found != value.end())
            return *found;
    }
    if (value.is_structured())
        for (const nlohmann::json &inner : value) {
            nlohmann::json found = ValueOf(inner, key);
            if (!found.is_null())
                return found;
        }
    return nullptr;
}

// The text value named `key` in `value`, as ValueOf finds it; "" when it is not text.
inline std::string FieldOf(const nlohmann::json &value, const std::string &key)
{
    const nlohmann::json found = ValueOf(value, key);
    return found.is_string() ? found.get<std::string>() : "";
}

// The text value named `key` in the first JSON line of `text` that holds one; "" when none does.
inline std::string FieldOf(const std::string &text, const std::string &key)
{
    for (const nlohmann::json &value : JsonLinesOf(text)) {
        const std::string found = FieldOf(value, key);
        if (!found.empty())
            return found;
    }
    return "";
}

} // namespace morlith::test
