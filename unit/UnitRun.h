// SPDX-License-Identifier: MIT
#pragma once
// One unit through a recipe, as every front end runs it: the unit named, its serial number
// reserved before it is touched, the recipe runner on one connection, the goodbye unless a stop
// cut the work short, and the unit record. Prints nothing; a front end listens to its events.

#include "ProductionLog.h"
#include "RecipeRunner.h"
#include "SerialSource.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace morlith {

// What every unit of a recipe run shares, made and checked before any unit is touched.
struct TRecipeRun {
    TRecipe Recipe;
    // One per step: what it writes, read once.
    std::vector<TOperationInput> Inputs;
    // The production log (null for none).
    std::unique_ptr<TProductionLog> Log;
    // Written into every unit record.
    std::string Station;
    std::string Operator;
    std::string Lot;
    // Further connect handshakes after a failed one.
    uint32_t Retries = 0;
    // Told what the run waits for when another program holds the serial counter's lock.
    std::function<void(const std::string &)> LockNotice;
    // Where units take their serial numbers (null when no step takes one); Finish() at a clean end.
    std::shared_ptr<TSerialSource> Serials;
};

class TUnitRun {
public:
    // The unit on the port `portLabel` (as messages name it); `portField` is the port as a file
    // name may hold it ({port}).
    TUnitRun(TComPortProgrammator &programmator, const TRecipeRun &run, std::string portLabel, std::string portField);

    // True ends the work before the next exchange and leaves the module as it is (no goodbye).
    void SetStopCheck(std::function<bool()> stopRequested) { FStopRequested = std::move(stopRequested); }
    // Waits between two handshakes; false when a stop was requested.
    void SetRetryPause(TRecipeRunner::TRetryPause pause) { FPause = std::move(pause); }
    void SetStepProgress(TRecipeRunner::TStepProgress progress) { FRunner.SetStepProgress(std::move(progress)); }
    void SetFrameListener(TFrameTraceHook listener) { FRunner.SetFrameListener(std::move(listener)); }
    // Told the unit's serial number once it is reserved, before the unit is touched.
    void SetSerialListener(std::function<void(uint64_t)> listener) { FSerialListener = std::move(listener); }

    // Runs the recipe on the port `portNumber` (0: the programmator's own port naming). True when
    // every step ran; false with Failure(). Call once.
    bool Run(int32_t portNumber);

    // Ended by a stop request: nothing more was sent, not even the goodbye.
    bool Stopped() const { return FStopped; }
    const TFailure &Failure() const { return FFailure; }
    const std::optional<uint64_t> &Serial() const { return FFields.Serial; }
    // What the module holds when the failed step stopped part-way; empty otherwise.
    std::string ModuleState() const;
    size_t StepCount() const { return FRunner.Steps().size(); }

    // The unit's record, made by `tool`.
    TUnitRecord Record(const std::string &tool) const;

private:
    bool StopRequested() const { return FStopRequested && FStopRequested(); }
    // Takes the unit's serial number from the run's source, when the recipe takes one. False with
    // the failure.
    bool ReserveSerial();
    // The unit's number once its module answered: `held` when the recipe keeps serials and the
    // module holds one, else a new one.
    std::optional<uint64_t> SupplySerial(const std::optional<uint64_t> &held, TFailure &failure);

    const TRecipeRun &FRun;
    std::string FPortLabel;
    TUnitFields FFields;
    TRecipeRunner FRunner;
    std::function<bool()> FStopRequested;
    TRecipeRunner::TRetryPause FPause;
    std::function<void(uint64_t)> FSerialListener;
    TFailure FFailure;
    bool FStopped = false;
};

// A unit's name: when it started and a random part, so that two stations never give one name.
std::string NewUnitId(const std::string &time);

} // namespace morlith
