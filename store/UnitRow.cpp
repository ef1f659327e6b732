// SPDX-License-Identifier: MIT
#include "UnitRow.h"

#include "JsonLines.h"
#include "NumberText.h"

#include <limits>

namespace morlith {
namespace {

// Days from 1970-01-01 to the civil date y-m-d (proleptic Gregorian).
int64_t DaysFromCivil(int64_t year, unsigned month, unsigned day)
{
    year -= month <= 2;
    const int64_t era = (year >= 0 ? year : year - 399) / 400;
    const unsigned yearOfEra = unsigned(year - era * 400);
    const unsigned dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const unsigned dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + int64_t(dayOfEra) - 719468;
}

unsigned DaysInMonth(int year, unsigned month)
{
    static const unsigned kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : kDays[month - 1];
}

// The digits text[at .. at + count) as a number; nothing if any is not a digit.
std::optional<unsigned> Digits(const std::string &text, size_t at, size_t count)
{
    if (at + count > text.size())
        return std::nullopt;
    unsigned value = 0;
    for (size_t i = at; i < at + count; ++i) {
        if (text[i] < '0' || text[i] > '9')
            return std::nullopt;
        value = value * 10 + unsigned(text[i] - '0');
    }
    return value;
}

} // namespace

std::optional<int64_t> IsoUtcMs(const std::string &text)
{
    // YYYY-MM-DDTHH:MM:SS[.fff]Z
    if (text.size() < 20 || text[4] != '-' || text[7] != '-' || text[10] != 'T' || text[13] != ':' ||
        text[16] != ':' || text.back() != 'Z')
        return std::nullopt;
    const auto year = Digits(text, 0, 4), month = Digits(text, 5, 2), day = Digits(text, 8, 2);
    const auto hour = Digits(text, 11, 2), minute = Digits(text, 14, 2), second = Digits(text, 17, 2);
    if (!year || !month || !day || !hour || !minute || !second || *month < 1 || *month > 12 || *day < 1 ||
        *day > DaysInMonth(int(*year), *month) || *hour > 23 || *minute > 59 || *second > 59)
        return std::nullopt;
    unsigned ms = 0;
    if (text.size() > 20) {
        // A fraction: "." and 1 to 9 digits, of which the first three count.
        const size_t digits = text.size() - 21;
        if (text[19] != '.' || digits < 1 || digits > 9 || !Digits(text, 20, digits))
            return std::nullopt;
        ms = *Digits(text, 20, std::min<size_t>(digits, 3));
        for (size_t i = digits; i < 3; ++i)
            ms *= 10;
    }
    const int64_t days = DaysFromCivil(*year, *month, *day);
    return ((days * 24 + *hour) * 60 + *minute) * 60000 + int64_t(*second) * 1000 + ms;
}

std::optional<uint64_t> SerialOfJson(const nlohmann::json &value)
{
    if (value.is_number_unsigned())
        return value.get<uint64_t>();
    if (value.is_number_integer())
        return uint64_t(value.get<int64_t>());
    if (value.is_string())
        return ParseWholeNumber(value.get<std::string>(), 0, std::numeric_limits<uint64_t>::max());
    return std::nullopt;
}

std::optional<TUnitRow> ParseUnitLine(const std::string &line)
{
    const std::optional<nlohmann::json> record = ParseJsonLine(line);
    if (!record || !record->is_object() || JsonTextOf(*record, "schema").rfind("unit/", 0) != 0)
        return std::nullopt;
    TUnitRow row;
    row.Unit = JsonTextOf(*record, "unit");
    row.Result = JsonTextOf(*record, "result");
    const std::optional<int64_t> time = IsoUtcMs(JsonTextOf(*record, "time"));
    if (row.Unit.empty() || row.Result.empty() || !time)
        return std::nullopt;
    row.TimeMs = *time;
    if (const nlohmann::json *serial = JsonField(*record, "serial"); serial && !serial->is_null()) {
        row.Serial = SerialOfJson(*serial);
        if (!row.Serial)
            return std::nullopt;
    }
    if (const nlohmann::json *started = JsonField(*record, "started"); started && started->is_string())
        row.StartedMs = IsoUtcMs(started->get<std::string>());
    if (row.Result == "started")
        row.StartedMs = row.TimeMs;
    row.Station = JsonTextOf(*record, "station");
    row.Socket = JsonTextOf(*record, "socket");
    if (row.Socket.empty())
        row.Socket = JsonTextOf(*record, "port");
    row.Lot = JsonTextOf(*record, "lot");
    row.Operator = JsonTextOf(*record, "operator");
    if (const nlohmann::json *recipe = JsonField(*record, "recipe"))
        row.RecipeSha256 = JsonTextOf(*recipe, "sha256");
    row.Line = line;
    while (!row.Line.empty() && (row.Line.back() == '\n' || row.Line.back() == '\r'))
        row.Line.pop_back();
    return row;
}

} // namespace morlith
