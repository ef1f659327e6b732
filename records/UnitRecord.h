// SPDX-License-Identifier: MIT
#pragma once
// One line of the production log per unit: the recipe's steps on one module tied together, with
// the unit's serial number, the station, operator and lot, each step's result and duration and
// the verdict. It carries its own schema, so that readers of the per-command records (schema 1)
// can tell it apart.

#include "Failure.h"
#include "OperationKind.h"

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace morlith {

// The "schema" of a unit record.
inline constexpr const char *kUnitRecordSchema = "unit/1";

// One step of a recipe on one controller, as the unit ran it.
struct TUnitStep {
    TOperationKind Kind = TOperationKind::okConnect;
    uint8_t Controller = 0;
    // "write-app main.xml, controller 2".
    std::string Name;
    // The file written from or read into (fields filled in), and its SHA-256 once known.
    std::string File;
    std::string Sha256;
    // The trusted key that signed the file written, and its signature's trusted comment.
    std::string SignerKeyId;
    std::string TrustedComment;
    // Ran to its end with no failure.
    bool Done = false;
    // write-app: the controller already held the package, so nothing was written.
    bool AlreadyCurrent = false;
    // Not reached: an earlier step failed.
    bool Skipped = true;
    TFailure Failure;
    // What the module holds when the step stopped part-way.
    std::string ModuleState;
    uint64_t DurationMs = 0;
};

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
    // The serial is the one the module held already (a reworked unit), written again.
    bool SerialKept = false;
};

// The record as one JSON object on one line, without the newline.
std::string UnitRecordLine(const TUnitRecord &Record);

} // namespace morlith
