// SPDX-License-Identifier: MIT
#pragma once
// The yield of a line from its unit records, per lot, per station in a lot and per socket of a
// station. A unit is known by its serial (by its unit id when it has none), so a unit reworked
// under its serial is one unit tried twice:
// - first-pass yield: of the units whose first try was here, those that passed it;
// - final yield: of the units tried here, those whose last try here passed.
// A "started" record that never ended, and an "interrupted" one, count as interrupted; "stopped"
// as stopped; neither is a try. Records of empty sockets ("empty") are no unit at all.

#include "UnitRow.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace morlith {

// What a summary covers: a whole lot, a station in a lot, or a socket of that station.
enum class TSummaryScope { ssLot, ssStation, ssSocket };

struct TUnitSummary {
    TSummaryScope Scope = TSummaryScope::ssLot;
    // The lot, and the station and socket as far as the scope goes ("" beyond it).
    std::string Lot;
    std::string Station;
    std::string Socket;
    // Records that ended "ok" or "failed" (tries), and the others.
    uint64_t Ok = 0;
    uint64_t Failed = 0;
    uint64_t Stopped = 0;
    uint64_t Interrupted = 0;
    // Units first tried here, and those that passed that first try.
    uint64_t FirstTried = 0;
    uint64_t FirstPassed = 0;
    // Units tried here, and those whose last try here passed.
    uint64_t Units = 0;
    uint64_t FinalPassed = 0;

    // The yields as fractions; nothing when there is nothing to divide by.
    std::optional<double> FirstPassYield() const;
    std::optional<double> FinalYield() const;
};

// The groups of `rows`: each lot, then its stations, each followed by its sockets, names in byte
// order (a front end orders them for people).
std::vector<TUnitSummary> SummarizeUnits(const std::vector<TUnitRow> &rows);

} // namespace morlith
