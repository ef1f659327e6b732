// SPDX-License-Identifier: MIT
#include "StoreUnits.h"

#include "JsonLines.h"
#include "NumberText.h"
#include "StoreFailure.h"

#include <cerrno>
#include <fstream>
#include <limits>
#include <map>

namespace morlith {
namespace {

// Units sent in one statement.
constexpr size_t kBatch = 500;

// The units arrive as one JSON array; their records as text, so the store keeps them as written.
const char *const kWrite = R"sql(
WITH input AS (
    SELECT e->>'unit' AS unit, (e->>'serial')::numeric AS serial, e->>'station' AS station,
           e->>'socket' AS socket, e->>'lot' AS lot, e->>'operator' AS operator, e->>'result' AS result,
           timestamptz 'epoch' + (e->>'started_ms')::bigint * interval '1 millisecond' AS started,
           timestamptz 'epoch' + (e->>'time_ms')::bigint * interval '1 millisecond' AS time,
           e->>'recipe_sha256' AS recipe_sha256, (e->>'record')::json AS record
    FROM json_array_elements($1::json) AS e),
written AS (
    INSERT INTO morlith.units AS u (unit, serial, station, socket, lot, operator, result, started, time,
                                    recipe_sha256, record)
    SELECT * FROM input
    ON CONFLICT (unit) DO UPDATE SET serial = excluded.serial, station = excluded.station,
        socket = excluded.socket, lot = excluded.lot, operator = excluded.operator, result = excluded.result,
        started = COALESCE(u.started, excluded.started), time = excluded.time,
        recipe_sha256 = excluded.recipe_sha256, record = excluded.record, received = now()
    WHERE u.result = 'started' AND excluded.result <> 'started'
    RETURNING 1)
SELECT count(*) FROM written
)sql";

const char *const kFind = R"sql(
SELECT unit, serial, station, socket, lot, operator, result,
       (extract(epoch FROM time) * 1000)::bigint, (extract(epoch FROM started) * 1000)::bigint,
       recipe_sha256, record::text
FROM morlith.units
WHERE ($1::numeric IS NULL OR serial = $1::numeric) AND ($2::text IS NULL OR unit = $2)
  AND ($3::text IS NULL OR station = $3) AND ($4::text IS NULL OR lot = $4)
ORDER BY COALESCE(started, time), unit
LIMIT $5::bigint
)sql";

nlohmann::json UnitObject(const TUnitRow &row)
{
    nlohmann::json object = {{"unit", row.Unit},
                             {"serial", row.Serial ? nlohmann::json(std::to_string(*row.Serial)) : nlohmann::json()},
                             {"station", row.Station},
                             {"socket", row.Socket},
                             {"lot", row.Lot},
                             {"operator", row.Operator},
                             {"result", row.Result},
                             {"started_ms", row.StartedMs ? nlohmann::json(*row.StartedMs) : nlohmann::json()},
                             {"time_ms", row.TimeMs},
                             {"recipe_sha256", row.RecipeSha256},
                             {"record", row.Line}};
    return object;
}

// One record per unit, in the order the units first appear: a final record over "started"
// (keeping the start time), the first final record over later ones, as the store would.
std::vector<TUnitRow> OnePerUnit(const std::vector<TUnitRow> &units)
{
    std::vector<TUnitRow> merged;
    std::map<std::string, size_t> index;
    for (const TUnitRow &row : units) {
        const auto [found, added] = index.emplace(row.Unit, merged.size());
        if (added) {
            merged.push_back(row);
            continue;
        }
        TUnitRow &kept = merged[found->second];
        if (kept.Result == "started" && row.Result != "started") {
            const std::optional<int64_t> started = kept.StartedMs;
            kept = row;
            if (!kept.StartedMs)
                kept.StartedMs = started;
        }
    }
    return merged;
}

std::string SerialText(const std::optional<uint64_t> &serial)
{
    return serial ? std::to_string(*serial) : std::string();
}

} // namespace

bool WriteUnits(TStore &store, const std::vector<TUnitRow> &units, uint64_t &changed, TFailure &failure)
{
    changed = 0;
    const std::vector<TUnitRow> merged = OnePerUnit(units);
    for (size_t start = 0; start < merged.size(); start += kBatch) {
        nlohmann::json batch = nlohmann::json::array();
        for (size_t i = start; i < std::min(merged.size(), start + kBatch); ++i)
            batch.push_back(UnitObject(merged[i]));
        // Invalid UTF-8 in a record becomes U+FFFD rather than refusing the batch.
        const std::string text = batch.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
        TStoreRows rows;
        const bool done = store.Run(
            [&](TStoreConnection &connection, TFailure &runFailure) {
                return connection.Exec(kWrite, {text}, rows, runFailure);
            },
            failure);
        if (!done) {
            failure.During("writing unit records to the store");
            return false;
        }
        if (!rows.empty() && rows[0][0])
            changed += ParseWholeNumber(*rows[0][0], 0, std::numeric_limits<uint64_t>::max()).value_or(0);
    }
    return true;
}

bool PushLog(TStore &store, const std::string &path, TPushCount &count, TFailure &failure)
{
    count = {};
    const std::string step = "sending the production log " + path + " to the store";
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        failure = FileFailure(errno ? errno : ENOENT, "open", path, step);
        return false;
    }
    std::vector<TUnitRow> units;
    std::string line;
    while (std::getline(file, line)) {
        ++count.Lines;
        if (std::optional<TUnitRow> row = ParseUnitLine(line)) {
            ++count.Records;
            units.push_back(std::move(*row));
        }
    }
    if (file.bad()) {
        failure = FileFailure(errno ? errno : EIO, "read", path, step);
        return false;
    }
    if (!WriteUnits(store, units, count.New, failure)) {
        failure.During(step);
        return false;
    }
    return true;
}

bool FindUnits(TStore &store, const TUnitQuery &query, std::vector<TUnitRow> &units, TFailure &failure)
{
    units.clear();
    auto optionalText = [](const std::string &text) { return text.empty() ? TStoreValue() : TStoreValue(text); };
    const std::vector<TStoreValue> params = {
        query.Serial ? TStoreValue(SerialText(query.Serial)) : TStoreValue(), optionalText(query.Unit),
        optionalText(query.Station), optionalText(query.Lot),
        query.Limit ? TStoreValue(std::to_string(query.Limit)) : TStoreValue()};
    TStoreRows rows;
    const bool done = store.Run(
        [&](TStoreConnection &connection, TFailure &runFailure) {
            return connection.Exec(kFind, params, rows, runFailure);
        },
        failure);
    if (!done) {
        failure.During("reading unit records from the store");
        return false;
    }
    for (const TStoreRow &fields : rows) {
        TUnitRow row;
        row.Unit = fields[0].value_or("");
        if (fields[1])
            row.Serial = ParseWholeNumber(*fields[1], 0, std::numeric_limits<uint64_t>::max());
        row.Station = fields[2].value_or("");
        row.Socket = fields[3].value_or("");
        row.Lot = fields[4].value_or("");
        row.Operator = fields[5].value_or("");
        row.Result = fields[6].value_or("");
        row.TimeMs = std::stoll(fields[7].value_or("0"));
        if (fields[8])
            row.StartedMs = std::stoll(*fields[8]);
        row.RecipeSha256 = fields[9].value_or("");
        row.Line = fields[10].value_or("");
        units.push_back(std::move(row));
    }
    return true;
}

} // namespace morlith
