// SPDX-License-Identifier: MIT
#pragma once
// Serial sequences in the store: each gives its numbers once, across every station, and keeps a
// ledger of where they went (taken one at a time, leased to a station in blocks, skipped when an
// engineer moved the sequence on, or returned unused), so every number is accounted for.

#include "Store.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace morlith {

// Numbers First, First + 1, ..., First + Count - 1.
struct TSerialRange {
    uint64_t First = 0;
    uint64_t Count = 0;
};

struct TSequenceInfo {
    std::string Name;
    // The number the sequence gives next; nothing once it gave the last number 64 bits hold.
    std::optional<uint64_t> Next;
};

// What SetSequence did.
enum class TSequenceChange { scMade, scMoved, scUnchanged };

// Makes the sequence `name` with `next` as its next number, or moves an existing one there:
// upward only unless `force` (moving down would give numbers again), and a move upward records
// the numbers passed over as skipped by `station`. `before` is the next number it had (a new
// one: `next`). False with `failure`: refused_input (a bad name, a move down without force),
// or the store's own.
bool SetSequence(TStore &store, const std::string &name, uint64_t next, bool force, const std::string &station,
                 TSequenceChange &change, uint64_t &before, TFailure &failure);

// Every sequence with its next number, by name.
bool ListSequences(TStore &store, std::vector<TSequenceInfo> &sequences, TFailure &failure);

// Takes `count` numbers (1 for one unit, K for a lease; fewer only when the sequence reaches
// its last number) from `sequence` for `station`, in one statement under the sequence's row
// lock, and records them in the ledger. False with a store failure: no such sequence (refused),
// no number left (refused), or the store's own.
bool TakeSerials(TStore &store, const std::string &sequence, uint64_t count, const std::string &station,
                 TSerialRange &range, TFailure &failure);

// Records `ranges` of `sequence` as leased to `station` and not used. Safe to repeat (a range
// recorded before is left as it is).
bool ReturnUnused(TStore &store, const std::string &sequence, const std::vector<TSerialRange> &ranges,
                  const std::string &station, TFailure &failure);

// The ledger of a sequence, each list in the order of its numbers.
struct TSequenceLedger {
    struct TGrant {
        TSerialRange Range;
        std::string Kind; // "take", "lease" or "skip"
        std::string Station;
    };
    std::vector<TGrant> Grants;
    std::vector<TSerialRange> Unused;
};
bool ReadLedger(TStore &store, const std::string &sequence, TSequenceLedger &ledger, TFailure &failure);

// A sequence's name: 1 to 64 characters, none of them control characters. False with
// `failure` (refused_input) otherwise.
bool CheckSequenceName(const std::string &name, TFailure &failure);

} // namespace morlith
