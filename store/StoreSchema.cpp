// SPDX-License-Identifier: MIT
#include "StoreSchema.h"

#include "StoreFailure.h"

namespace morlith {
namespace {

// The advisory lock that makes "init" one at a time across every station: "morlith" in ASCII.
constexpr const char *kInitLock = "SELECT pg_advisory_xact_lock(120317436815720)";

// Serials are numeric(20,0): exact over the whole 64-bit range (bigint is signed), read back as
// the decimal text a station writes. A sequence's next number may be 2^64, once it gave the last.
// Every number a sequence gives is in serial_grants (one row a take, a lease or a skip past
// numbers moved over); numbers leased and not used come back in serial_unused.
const char *const kVersion1 = R"sql(
CREATE TABLE morlith.sequences (
    name text PRIMARY KEY,
    next numeric(20,0) NOT NULL CHECK (next >= 0 AND next <= 18446744073709551616),
    made timestamptz NOT NULL DEFAULT now(),
    moved timestamptz NOT NULL DEFAULT now()
);
CREATE TABLE morlith.serial_grants (
    id bigserial PRIMARY KEY,
    sequence text NOT NULL REFERENCES morlith.sequences(name),
    first numeric(20,0) NOT NULL,
    count numeric(20,0) NOT NULL CHECK (count > 0),
    kind text NOT NULL CHECK (kind IN ('take', 'lease', 'skip')),
    station text NOT NULL,
    time timestamptz NOT NULL DEFAULT now()
);
CREATE INDEX ON morlith.serial_grants (sequence, first);
CREATE TABLE morlith.serial_unused (
    sequence text NOT NULL REFERENCES morlith.sequences(name),
    first numeric(20,0) NOT NULL,
    count numeric(20,0) NOT NULL CHECK (count > 0),
    station text NOT NULL,
    time timestamptz NOT NULL DEFAULT now(),
    PRIMARY KEY (sequence, first)
);
CREATE TABLE morlith.units (
    unit text PRIMARY KEY,
    serial numeric(20,0) CHECK (serial >= 0 AND serial < 18446744073709551616),
    station text NOT NULL,
    socket text NOT NULL,
    lot text NOT NULL,
    operator text NOT NULL,
    result text NOT NULL,
    started timestamptz,
    time timestamptz NOT NULL,
    recipe_sha256 text NOT NULL,
    record json NOT NULL,
    received timestamptz NOT NULL DEFAULT now()
);
CREATE INDEX ON morlith.units (serial);
CREATE INDEX ON morlith.units (station);
CREATE INDEX ON morlith.units (lot);
)sql";

// The steps from each version to the next: kSteps[v] brings version v to v + 1.
const char *const kSteps[kStoreSchemaVersion] = {kVersion1};

bool ReadVersion(TStoreConnection &connection, int &version, TFailure &failure)
{
    TStoreRows rows;
    if (!connection.Exec("SELECT max(version) FROM morlith.schema_version", {}, rows, failure))
        return false;
    version = rows.empty() || !rows[0][0] ? 0 : std::stoi(*rows[0][0]);
    return true;
}

TFailure NewerSchema(int version, const std::string &store)
{
    return StoreFailure(kStoreSchema,
                        "the store's tables are version " + std::to_string(version) + ", newer than this tool knows (" +
                            std::to_string(kStoreSchemaVersion) + "): update the tool on this station",
                        store);
}

} // namespace

bool InitStore(TStore &store, TStoreSchemaChange &change, TFailure &failure)
{
    change = {};
    const bool done = store.RunWithoutSchema(
        [&](TStoreConnection &connection, TFailure &stepFailure) {
            return InTransaction(
                connection,
                [&](TStoreConnection &, TFailure &inner) {
                    if (!connection.Exec(kInitLock, inner) ||
                        !connection.Exec("CREATE SCHEMA IF NOT EXISTS morlith; "
                                         "CREATE TABLE IF NOT EXISTS morlith.schema_version (version integer NOT NULL)",
                                         inner) ||
                        !ReadVersion(connection, change.Before, inner))
                        return false;
                    if (change.Before > kStoreSchemaVersion) {
                        inner = NewerSchema(change.Before, connection.Store());
                        return false;
                    }
                    for (int version = change.Before; version < kStoreSchemaVersion; ++version)
                        if (!connection.Exec(kSteps[version], inner))
                            return false;
                    change.After = kStoreSchemaVersion;
                    return connection.Exec("DELETE FROM morlith.schema_version; INSERT INTO morlith.schema_version "
                                           "VALUES (" + std::to_string(kStoreSchemaVersion) + ")",
                                           inner);
                },
                stepFailure);
        },
        failure);
    if (!done)
        failure.During("making the store's tables");
    return done;
}

bool CheckSchema(TStoreConnection &connection, TFailure &failure)
{
    int version = 0;
    if (!ReadVersion(connection, version, failure)) {
        if (failure.Reason == kStoreSchema)
            failure.Detail = "the store has no tables yet (run \"store init\"): " + failure.Detail;
        return false;
    }
    if (version > kStoreSchemaVersion) {
        failure = NewerSchema(version, connection.Store());
        return false;
    }
    if (version < kStoreSchemaVersion) {
        failure = StoreFailure(kStoreSchema,
                               "the store's tables are version " + std::to_string(version) + ", older than this tool's (" +
                                   std::to_string(kStoreSchemaVersion) + "): run \"store init\"",
                               connection.Store());
        return false;
    }
    return true;
}

} // namespace morlith
