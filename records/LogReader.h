// SPDX-License-Identifier: MIT
#pragma once
// Reading production records back for `log`: the records a filter lets through, in the order
// written, whether they come from a log file or the store. A unit's "started" record stands for
// the unit only while nothing ended it: then it counts as interrupted.

#include "Failure.h"
#include "UtcTime.h"

#include <nlohmann/json.hpp>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace morlith {

// What `log` asks for; every condition given must hold.
struct TLogFilter {
    // Records from this time on.
    std::optional<TUtcTime> Since;
    // Records that did not end "ok" (an empty socket is no failure).
    bool FailedOnly = false;
    // Unit records of this serial or unit id only.
    std::optional<uint64_t> Serial;
    std::string Unit;
    // Records of this station or lot only ("" for any).
    std::string Station;
    std::string Lot;

    // True when `record`, written at `time`, passes.
    bool Passes(const nlohmann::json &record, TUtcTime time) const;
};

// One record that passed.
struct TLogEntry {
    const nlohmann::json &Record;
    // The record as written.
    const std::string &Line;
    // A "started" record that nothing ended.
    bool Interrupted = false;
};
using TLogVisitor = std::function<void(const TLogEntry &entry)>;

// Gives `each` the records of the log at `path` that `filter` lets through, leaving out a unit's
// "started" record when a later record of that unit ended it. Lines that are not a record (not a
// JSON object, no time ParseUtcTime reads) are counted in `unreadable`; blank lines are not. False
// with `failure` (the file's kind) when the file cannot be read.
bool ReadLogFile(const std::string &path, const TLogFilter &filter, const TLogVisitor &each, uint64_t &unreadable,
                 TFailure &failure);

// A record's result as a reader tells it: "interrupted" for an entry that is, else as written.
std::string ResultOf(const TLogEntry &entry);

} // namespace morlith
