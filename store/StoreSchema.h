// SPDX-License-Identifier: MIT
#pragma once
// The store's tables, in the PostgreSQL schema "morlith", and their version. Each version of the
// tool knows one version of the tables; "store init" makes them or brings older ones up to it,
// under a lock of the server so that any number of stations may run it at once.

#include "Store.h"

namespace morlith {

// The version of the tables this tool makes and works with.
inline constexpr int kStoreSchemaVersion = 1;

// What InitStore found and left.
struct TStoreSchemaChange {
    // The version before (0: no tables) and after.
    int Before = 0;
    int After = 0;
};

// Makes the tables or upgrades them to kStoreSchemaVersion, in one transaction under an advisory
// lock. False with `failure` (kind store): a store whose tables are newer than this tool knows
// (reason schema, nothing changed), or the store's own failure.
bool InitStore(TStore &store, TStoreSchemaChange &change, TFailure &failure);

// Checks that the store's tables are the version this tool knows; false with a schema failure
// in words (none yet, older: run init; newer: update the tool) or the store's own failure.
bool CheckSchema(TStoreConnection &connection, TFailure &failure);

} // namespace morlith
