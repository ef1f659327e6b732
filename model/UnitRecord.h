// SPDX-License-Identifier: MIT
#pragma once
// One line of the production log per unit: the recipe's steps on one module tied together, with
// the unit's serial number, the station, operator and lot, each step's result and duration and
// the verdict. It carries its own schema, so that readers of the per-command records (schema 1)
// can tell it apart.

#include "RecipeRunner.h"

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace morlith {

// The "schema" of a unit record.
inline constexpr const char *kUnitRecordSchema = "unit/1";

struct TUnitRecord {
    std::chrono::system_clock::time_point Time = std::chrono::system_clock::now();
    std::string Tool;
    std::string UnitId;
    std::optional<uint64_t> Serial;
    std::string Station;
    std::string Operator;
    std::string Lot;
    // The recipe file and its SHA-256.
    std::string Recipe;
    std::string RecipeSha256;
    // The port as named, and the device it reached.
    std::string Port;
    std::string Device;
    std::vector<TUnitStep> Steps;
    // Why the unit failed (its step named), and the index of that step; none on success.
    TFailure Failure;
    std::optional<size_t> FailedStep;
    uint64_t DurationMs = 0;
};

// The record as one JSON object on one line, without the newline.
std::string UnitRecordLine(const TUnitRecord &Record);

} // namespace morlith
