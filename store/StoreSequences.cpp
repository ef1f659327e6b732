// SPDX-License-Identifier: MIT
#include "StoreSequences.h"

#include "NumberText.h"
#include "StoreFailure.h"

#include <limits>

namespace morlith {
namespace {

constexpr uint64_t kLastSerial = std::numeric_limits<uint64_t>::max();

// A numeric(20,0) field read back; a number past 64 bits (2^64: a sequence used up) is nothing.
std::optional<uint64_t> SerialOf(const TStoreValue &field)
{
    return field ? ParseWholeNumber(*field, 0, kLastSerial) : std::nullopt;
}

// Numbers as a PostgreSQL array literal: "{1,2,3}".
std::string ArrayText(const std::vector<uint64_t> &numbers)
{
    std::string text = "{";
    for (uint64_t number : numbers)
        text += (text.size() > 1 ? "," : "") + std::to_string(number);
    return text + "}";
}

TFailure BadReply(const std::string &store)
{
    return StoreFailure(kStoreRefused, "the store's answer is not what this tool expects", store);
}

const char *const kTake = R"sql(
WITH s AS (SELECT next AS first FROM morlith.sequences WHERE name = $1 FOR UPDATE),
u AS (UPDATE morlith.sequences q SET next = LEAST(s.first + $2::numeric, 18446744073709551616), moved = now()
      FROM s WHERE q.name = $1 AND s.first < 18446744073709551616 RETURNING s.first, q.next),
g AS (INSERT INTO morlith.serial_grants (sequence, first, count, kind, station)
      SELECT $1, first, next - first, $3, $4 FROM u)
SELECT first, next - first FROM u
)sql";

} // namespace

bool CheckSequenceName(const std::string &name, TFailure &failure)
{
    bool control = false;
    for (unsigned char c : name)
        control = control || c < 0x20 || c == 0x7f;
    if (!name.empty() && name.size() <= 64 && !control)
        return true;
    failure = MakeFailure(TFailureKind::fkRefusedInput,
                          "a sequence's name has 1 to 64 characters and no control characters");
    return false;
}

bool SetSequence(TStore &store, const std::string &name, uint64_t next, bool force, const std::string &station,
                 TSequenceChange &change, uint64_t &before, TFailure &failure)
{
    if (!CheckSequenceName(name, failure))
        return false;
    const std::string nextText = std::to_string(next);
    const bool done = store.Run(
        [&](TStoreConnection &connection, TFailure &runFailure) {
            return InTransaction(
                connection,
                [&](TStoreConnection &, TFailure &inner) {
                    TStoreRows rows;
                    if (!connection.Exec("INSERT INTO morlith.sequences (name, next) VALUES ($1, $2::numeric) "
                                         "ON CONFLICT (name) DO NOTHING RETURNING next",
                                         {name, nextText}, rows, inner))
                        return false;
                    if (!rows.empty()) {
                        change = TSequenceChange::scMade;
                        before = next;
                        return true;
                    }
                    if (!connection.Exec("SELECT next FROM morlith.sequences WHERE name = $1 FOR UPDATE", {name}, rows,
                                         inner))
                        return false;
                    if (rows.empty() || !rows[0][0]) {
                        inner = BadReply(connection.Store());
                        return false;
                    }
                    // A used-up sequence (2^64) stands above every number.
                    const std::string currentText = *rows[0][0];
                    const std::optional<uint64_t> current = SerialOf(rows[0][0]);
                    before = current ? *current : kLastSerial;
                    if (current && *current == next) {
                        change = TSequenceChange::scUnchanged;
                        return true;
                    }
                    const bool down = !current || next < *current;
                    if (down && !force) {
                        inner = MakeFailure(TFailureKind::fkRefusedInput,
                                            "the sequence \"" + name + "\" gives " + currentText + " next; moving it down to " +
                                                nextText + " would give numbers again (force it only when you know "
                                                           "they were never used)");
                        return false;
                    }
                    change = TSequenceChange::scMoved;
                    if (!connection.Exec("UPDATE morlith.sequences SET next = $2::numeric, moved = now() WHERE name = $1",
                                         {name, nextText}, rows, inner))
                        return false;
                    if (down)
                        return true;
                    return connection.Exec("INSERT INTO morlith.serial_grants (sequence, first, count, kind, station) "
                                           "VALUES ($1, $2::numeric, $3::numeric - $2::numeric, 'skip', $4)",
                                           {name, currentText, nextText, station}, rows, inner);
                },
                runFailure);
        },
        failure);
    if (!done)
        failure.During("setting the sequence \"" + name + "\"");
    return done;
}

bool ListSequences(TStore &store, std::vector<TSequenceInfo> &sequences, TFailure &failure)
{
    sequences.clear();
    TStoreRows rows;
    const bool done = store.Run(
        [&](TStoreConnection &connection, TFailure &runFailure) {
            return connection.Exec("SELECT name, next FROM morlith.sequences ORDER BY name", {}, rows, runFailure);
        },
        failure);
    if (!done) {
        failure.During("listing the sequences");
        return false;
    }
    for (const TStoreRow &row : rows)
        sequences.push_back({row[0].value_or(""), SerialOf(row[1])});
    return true;
}

bool TakeSerials(TStore &store, const std::string &sequence, uint64_t count, const std::string &station,
                 TSerialRange &range, TFailure &failure)
{
    range = {};
    TStoreRows rows;
    const std::string step = "taking " + std::string(count == 1 ? "a serial number" : "a lease of serial numbers") +
                             " from the sequence \"" + sequence + "\"";
    const bool done = store.Run(
        [&](TStoreConnection &connection, TFailure &runFailure) {
            if (!connection.Exec(kTake, {sequence, std::to_string(count), count == 1 ? "take" : "lease", station}, rows,
                                 runFailure))
                return false;
            if (!rows.empty())
                return true;
            // Nothing taken: say whether the sequence is missing or used up.
            if (!connection.Exec("SELECT next FROM morlith.sequences WHERE name = $1", {sequence}, rows, runFailure))
                return false;
            runFailure = StoreFailure(kStoreRefused,
                                      rows.empty() ? "the store has no sequence \"" + sequence + "\""
                                                   : "the sequence \"" + sequence + "\" gave its last number",
                                      connection.Store());
            return false;
        },
        failure);
    if (!done) {
        failure.During(step);
        return false;
    }
    const std::optional<uint64_t> first = SerialOf(rows[0][0]);
    const std::optional<uint64_t> taken = rows[0].size() > 1 ? SerialOf(rows[0][1]) : std::nullopt;
    if (!first || !taken || *taken == 0) {
        failure = BadReply(store.Address().Display).During(step);
        return false;
    }
    range = {*first, *taken};
    return true;
}

bool ReturnUnused(TStore &store, const std::string &sequence, const std::vector<TSerialRange> &ranges,
                  const std::string &station, TFailure &failure)
{
    std::vector<uint64_t> firsts, counts;
    for (const TSerialRange &range : ranges)
        if (range.Count > 0) {
            firsts.push_back(range.First);
            counts.push_back(range.Count);
        }
    if (firsts.empty())
        return true;
    const bool done = store.Run(
        [&](TStoreConnection &connection, TFailure &runFailure) {
            TStoreRows rows;
            return connection.Exec("INSERT INTO morlith.serial_unused (sequence, first, count, station) "
                                   "SELECT $1, f, c, $4 FROM unnest($2::numeric[], $3::numeric[]) AS r(f, c) "
                                   "ON CONFLICT (sequence, first) DO NOTHING",
                                   {sequence, ArrayText(firsts), ArrayText(counts), station}, rows, runFailure);
        },
        failure);
    if (!done)
        failure.During("returning unused serial numbers of the sequence \"" + sequence + "\"");
    return done;
}

bool ReadLedger(TStore &store, const std::string &sequence, TSequenceLedger &ledger, TFailure &failure)
{
    ledger = {};
    TStoreRows grants, unused;
    const bool done = store.Run(
        [&](TStoreConnection &connection, TFailure &runFailure) {
            return connection.Exec("SELECT first, count, kind, station FROM morlith.serial_grants WHERE sequence = $1 "
                                   "ORDER BY first, id",
                                   {sequence}, grants, runFailure) &&
                   connection.Exec("SELECT first, count FROM morlith.serial_unused WHERE sequence = $1 ORDER BY first",
                                   {sequence}, unused, runFailure);
        },
        failure);
    if (!done) {
        failure.During("reading the ledger of the sequence \"" + sequence + "\"");
        return false;
    }
    for (const TStoreRow &row : grants)
        ledger.Grants.push_back({{SerialOf(row[0]).value_or(0), SerialOf(row[1]).value_or(0)}, row[2].value_or(""),
                                 row[3].value_or("")});
    for (const TStoreRow &row : unused)
        ledger.Unused.push_back({SerialOf(row[0]).value_or(0), SerialOf(row[1]).value_or(0)});
    return true;
}

} // namespace morlith
