// SPDX-License-Identifier: MIT
#include "UnitRow.h"

#include "JsonLines.h"
#include "NumberText.h"
#include "UtcTime.h"

#include <limits>

namespace morlith {
namespace {

// A record's time in ms since 1970 UTC.
std::optional<int64_t> UtcMs(const std::string &text)
{
    const std::optional<TUtcTime> time = ParseUtcTime(text);
    return time ? std::optional<int64_t>(time->time_since_epoch().count()) : std::nullopt;
}

} // namespace

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
    const std::optional<int64_t> time = UtcMs(JsonTextOf(*record, "time"));
    if (row.Unit.empty() || row.Result.empty() || !time)
        return std::nullopt;
    row.TimeMs = *time;
    if (const nlohmann::json *serial = JsonField(*record, "serial"); serial && !serial->is_null()) {
        row.Serial = SerialOfJson(*serial);
        if (!row.Serial)
            return std::nullopt;
    }
    if (const nlohmann::json *started = JsonField(*record, "started"); started && started->is_string())
        row.StartedMs = UtcMs(started->get<std::string>());
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
