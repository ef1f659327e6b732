// SPDX-License-Identifier: MIT
#include "JsonLines.h"

#include "Utf8Text.h"

#include <cstdint>
#include <cstdio>

namespace morlith {

std::string JsonQuote(const std::string &text)
{
    std::string out = "\"";
    for (size_t i = 0; i < text.size();) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        const size_t length = Utf8SequenceLength(text, i);
        if (length == 0) {
            out += "\\ufffd";
            ++i;
            continue;
        }
        if (c == '"' || c == '\\') {
            out += '\\';
            out += char(c);
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\t') {
            out += "\\t";
        } else if (c < 0x20 || c == 0x7F) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", unsigned(c));
            out += escape;
        } else {
            out.append(text, i, length);
        }
        i += length;
    }
    return out + "\"";
}

void SetPathField(TJson &object, const std::string &key, const std::string &path)
{
    object[key] = path;
    if (!IsValidUtf8(path))
        object[key + "_bytes"] = HexOfBytes(path);
}

std::string IsoUtcTime(std::chrono::system_clock::time_point when)
{
    const int64_t millis = std::chrono::duration_cast<std::chrono::milliseconds>(when.time_since_epoch()).count();
    const int64_t seconds = millis / 1000 - (millis % 1000 < 0 ? 1 : 0);
    const int64_t days = seconds / 86400 - (seconds % 86400 < 0 ? 1 : 0);
    const int64_t secondOfDay = seconds - days * 86400;
    // The civil date of a day count (proleptic Gregorian calendar, eras of 400 years).
    const int64_t shifted = days + 719468;
    const int64_t era = (shifted >= 0 ? shifted : shifted - 146096) / 146097;
    const int64_t dayOfEra = shifted - era * 146097;
    const int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const int64_t monthIndex = (5 * dayOfYear + 2) / 153;
    const int day = int(dayOfYear - (153 * monthIndex + 2) / 5 + 1);
    const int month = int(monthIndex < 10 ? monthIndex + 3 : monthIndex - 9);
    const int year = int(yearOfEra + era * 400 + (month <= 2 ? 1 : 0));
    char text[80];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03dZ", year, month, day, int(secondOfDay / 3600),
                  int(secondOfDay / 60 % 60), int(secondOfDay % 60), int(millis - seconds * 1000));
    return text;
}

TJson JsonEvent(const std::string &event, const TJson &fields)
{
    TJson object = {{"event", event}, {"schema", kJsonSchema}, {"time", IsoUtcTime(std::chrono::system_clock::now())}};
    object.update(fields);
    return object;
}

namespace {

void AppendJson(const TJson &value, std::string &out)
{
    switch (value.type()) {
    case TJson::value_t::object: {
        out += '{';
        for (auto field = value.begin(); field != value.end(); ++field) {
            out += (field == value.begin() ? "" : ",") + JsonQuote(field.key()) + ":";
            AppendJson(field.value(), out);
        }
        out += '}';
        break;
    }
    case TJson::value_t::array:
        out += '[';
        for (size_t i = 0; i < value.size(); ++i) {
            out += i ? "," : "";
            AppendJson(value[i], out);
        }
        out += ']';
        break;
    case TJson::value_t::string:
        out += JsonQuote(value.get_ref<const std::string &>());
        break;
    case TJson::value_t::number_float: {
        char text[40];
        std::snprintf(text, sizeof text, "%.3f", value.get<double>());
        out += text;
        break;
    }
    default: // null, true/false, whole numbers
        out += value.dump();
    }
}

// Records nest two levels; anything much deeper is not one.
constexpr int kMaxDepth = 64;

} // namespace

std::string JsonLine(const TJson &value)
{
    std::string out;
    AppendJson(value, out);
    return out;
}

std::optional<nlohmann::json> ParseJsonLine(const std::string &text)
{
    struct TTooDeep {};
    const auto limitDepth = [](int depth, nlohmann::json::parse_event_t, nlohmann::json &) {
        if (depth > kMaxDepth)
            throw TTooDeep{};
        return true;
    };
    try {
        nlohmann::json value = nlohmann::json::parse(text, limitDepth, false);
        if (!value.is_discarded())
            return value;
    } catch (const TTooDeep &) {
    }
    return std::nullopt;
}

const nlohmann::json *JsonField(const nlohmann::json &value, const char *key)
{
    if (!value.is_object())
        return nullptr;
    const auto field = value.find(key);
    return field == value.end() ? nullptr : &*field;
}

std::string JsonTextOf(const nlohmann::json &value, const char *key)
{
    const nlohmann::json *field = JsonField(value, key);
    return field && field->is_string() ? field->get<std::string>() : "";
}

} // namespace morlith
