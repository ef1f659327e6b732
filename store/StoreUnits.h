// SPDX-License-Identifier: MIT
#pragma once
// Unit records in the store, keyed by unit id: a unit's "started" record goes in before its
// module is touched and its final record completes it. Writing is idempotent: a record the
// store has, or a "started" record for a unit the store has seen end, changes nothing, so a
// station may send its spool again and again and nothing arrives twice.

#include "Store.h"
#include "UnitRow.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace morlith {

// Writes `units` (in their order; several records of one unit are taken together, the final one
// over "started"). `changed` counts the units the store did not have or had only as started.
bool WriteUnits(TStore &store, const std::vector<TUnitRow> &units, uint64_t &changed, TFailure &failure);

struct TPushCount {
    // Lines read, the unit records among them, and how many of those the store did not have.
    uint64_t Lines = 0;
    uint64_t Records = 0;
    uint64_t New = 0;
};

// Sends the unit records of the production log at `path` that the store does not have yet; lines
// that are no unit record (per-command records, damaged lines) are passed over. Safe to repeat.
// False with `failure`: the file cannot be read (its kind), or the store's failure; the units sent
// before a failure stay in the store and `count` says how far it got.
bool PushLog(TStore &store, const std::string &path, TPushCount &count, TFailure &failure);

// Which units FindUnits gives: each field given must match; all of them when none is.
struct TUnitQuery {
    std::optional<uint64_t> Serial;
    std::string Unit;
    std::string Station;
    std::string Lot;
    // At most this many, the earliest first; 0: all.
    uint64_t Limit = 0;
};

// The units matching `query`, in the order they were started (their time when that is not
// known), each with its record as written.
bool FindUnits(TStore &store, const TUnitQuery &query, std::vector<TUnitRow> &units, TFailure &failure);

} // namespace morlith
