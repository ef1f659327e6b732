// SPDX-License-Identifier: MIT
#pragma once
// Runs a recipe on one module over one connection: one handshake at the start, a controller
// selected only when the next step needs another one, the goodbye only at the end. A step on a
// list of controllers runs once per controller. The first step that fails ends the unit's work;
// the verdict names it.

#include "OperationRunner.h"
#include "Recipe.h"
#include "UnitRecord.h"

#include <chrono>
#include <functional>
#include <optional>
#include <vector>

namespace morlith {

// What makes one unit different from the next: filled into read-dseg file names and templates.
struct TUnitFields {
    // The unit's serial number, when a step of the recipe takes one.
    std::optional<uint64_t> Serial;
    // A name of the unit unique to this run of this station.
    std::string UnitId;
    // The port as a file name may hold it ("COM3", "dev_ttyUSB0").
    std::string Port;
    // When the unit's work started, UTC ("20261207T103638Z").
    std::string Time;
};

class TRecipeRunner {
public:
    // Called before each step: its index from 0, the count of steps and its name.
    using TStepProgress = std::function<void(size_t Index, size_t Count, const std::string &Name)>;
    // Waits between two handshakes of a retried connect; false when a stop was requested.
    using TRetryPause = std::function<bool()>;
    // Gives the unit its serial number once its module answered: `held` is the number its data
    // segment holds (a recipe that keeps serials), else nothing. The number, or nothing with
    // `failure`.
    using TSerialSupply = std::function<std::optional<uint64_t>(const std::optional<uint64_t> &held, TFailure &failure)>;

    // `Inputs` holds one input per step of `Recipe` (ReadRecipeInputs), read once and shared by
    // every unit.
    TRecipeRunner(TComPortProgrammator &Programmator, const TRecipe &Recipe, const std::vector<TOperationInput> &Inputs,
                  TUnitFields Fields);

    void SetStepProgress(TStepProgress Progress) { FProgress = std::move(Progress); }
    void SetFrameListener(TFrameTraceHook Listener) { FListener = std::move(Listener); }
    // Further handshakes after a first one that got no sound answer, with `Pause` between.
    void SetHandshakeRetries(uint32_t Retries, TRetryPause Pause);

    // Gives the unit its serial number, once reserved: file names with {serial} take it.
    void SetSerial(uint64_t Serial);
    // Asks `Supply` for the serial number once the module answered, before the first step (for a
    // recipe that keeps serials, after reading the number the module holds).
    void SetSerialSupply(TSerialSupply Supply) { FSerialSupply = std::move(Supply); }
    // The unit kept the serial its module held.
    bool SerialKept() const { return FSerialKept; }
    // Checks what the unit's steps will make (read-dseg files that must not exist yet), before
    // the module is touched; names with {serial} only once the unit has its number. False with
    // Failure().
    bool Prepare();
    // Connects on `PortNumber` and runs every step until one fails. False with Failure(); the
    // connection is left open for Goodbye().
    bool Run(int32_t PortNumber);
    // Ends the session with the module ("Q", then the port closes).
    void Goodbye();

    const std::vector<TUnitStep> &Steps() const { return FSteps; }
    // Why the unit failed, its step naming the recipe's step; no failure on success.
    const TFailure &Failure() const { return FFailure; }
    // The index of the step that failed, or nothing.
    std::optional<size_t> FailedStep() const { return FFailedStep; }
    // The device node the port reached.
    const std::string &Device() const { return FDevice; }
    uint64_t DurationMs() const;

private:
    // Fills each step's file and name from the unit's fields.
    void NameSteps();
    bool RunStep(size_t Index, int32_t PortNumber);
    // Asks the supply for the unit's number before the first step, reading first what the module
    // holds when the recipe keeps serials; a failure is the step that takes the serial.
    bool ObtainSerial(int32_t PortNumber);
    bool Select(TOperationRunner &Runner, uint8_t Controller, int32_t PortNumber);
    bool Fail(size_t Index, TFailure Failure);
    // What a write step sends to this unit: a template gets the unit's serial number. A failure
    // when it cannot.
    TFailure InputFor(size_t RecipeStep, TOperationInput &Input) const;

    TComPortProgrammator &FProgrammator;
    const TRecipe &FRecipe;
    const std::vector<TOperationInput> &FInputs;
    TUnitFields FFields;
    // Each unit step's recipe step.
    std::vector<size_t> FRecipeStep;
    std::vector<TUnitStep> FSteps;
    TStepProgress FProgress;
    TFrameTraceHook FListener;
    TSerialSupply FSerialSupply;
    bool FSerialKept = false;
    uint32_t FRetries = 0;
    TRetryPause FPause;
    // The controller selected, once connected.
    std::optional<uint8_t> FSelected;
    TFailure FFailure;
    std::optional<size_t> FFailedStep;
    std::string FDevice;
    std::chrono::steady_clock::time_point FStart = std::chrono::steady_clock::now();
    std::chrono::steady_clock::time_point FEnd = FStart;
};

// `Pattern` with the unit's fields filled in ({serial}, {unit}, {port}, {mcu}, {time}).
std::string FillFileFields(const std::string &Pattern, const TUnitFields &Fields, uint8_t Controller);

// `When` as {time} gives it in a file name: UTC to the millisecond, "20261207T103638.123Z".
std::string UnitTimeText(std::chrono::system_clock::time_point When);

// A step's name as the verdict and the log give it: "write-app main.xml, controller 2".
std::string UnitStepName(TOperationKind Kind, const std::string &File, uint8_t Controller);

} // namespace morlith
