// SPDX-License-Identifier: MIT
#pragma once
// `run RECIPE` on one port: the recipe's steps on one module, on one connection, through the
// model's recipe runner; one unit record in the production log.

#include "ComPortProgrammator.h"
#include "Console.h"
#include "Interruption.h"
#include "PortChoice.h"
#include "ProductionLog.h"
#include "Recipe.h"
#include "RecipeRunner.h"
#include "SessionReport.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>

namespace morlith::cli {

// What every port of a recipe run shares, made and checked before anything is sent.
struct TRecipeRun {
    TRecipe Recipe;
    // One per step: what it writes, read once.
    std::vector<TOperationInput> Inputs;
    std::unique_ptr<TProductionLog> Log;
    // --station, --operator, --lot, else the recipe's.
    std::string Station;
    std::string Operator;
    std::string Lot;
    uint32_t TimeoutMs = 0;
    bool Verbose = false;
    uint32_t Retries = 0;
    // Told what the run waits for when another program holds the serial counter's lock.
    std::function<void(const std::string &)> LockNotice;
};

class TRecipeSession : public TPortSession {
public:
    TRecipeSession(const TPortChoice &port, const TRecipeRun &run, TSessionReporter &reporter, TConsole &console);
    ~TRecipeSession() override = default;
    TRecipeSession(const TRecipeSession &) = delete;
    TRecipeSession &operator=(const TRecipeSession &) = delete;

    void Run() override;
    const TPortOutcome &Outcome() const override { return FOutcome; }

private:
    TUnitFields MakeFields() const;
    // Takes the unit's serial number from the recipe's counter, when it has one. False with the
    // outcome's failure.
    bool ReserveSerial(TUnitFields &fields);
    void Conclude(TRecipeRunner &runner, bool done, const TUnitFields &fields);
    void AppendToLog(const TRecipeRunner &runner, const TUnitFields &fields);
    void OnProgress();
    double Elapsed() const;

    TPortChoice FPort;
    const TRecipeRun &FRun;
    TSessionReporter &FReporter;
    TConsole &FConsole;
    std::unique_ptr<TComPortProgrammator> FProgrammator;
    TInterruptScope FInterruptScope;
    TPortOutcome FOutcome;
    std::chrono::steady_clock::time_point FStart;
};

} // namespace morlith::cli
