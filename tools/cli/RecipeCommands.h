// SPDX-License-Identifier: MIT
#pragma once
// `run RECIPE` on every chosen port at once, and `check RECIPE`, which reads the recipe and its
// inputs as run would, without a module, and names every mistake by its line.

#include "CliOptions.h"
#include "Console.h"
#include "RecipeSession.h"

#include <string>

namespace morlith::cli {

// Loads the recipe (options.Arguments[0]) and its inputs into `run` and opens the production log.
// "" when the run can go on; otherwise every mistake, one per line, with `status` its exit status.
std::string PrepareRecipeRun(const TCliOptions &options, TRecipeRun &run, int &status);

// At a clean end: the numbers the run's serial source holds and did not use are recorded as
// unused; a failure to do so is told on `console`.
void FinishRecipeSerials(const TRecipeRun &run, TConsole &console);

// Runs `run`; returns the exit status.
int RunRecipe(const TCliOptions &options, TConsole &console);
// Runs `check`; returns the exit status (0: ready to run, 2: mistakes).
int RunCheck(const TCliOptions &options, TConsole &console);

} // namespace morlith::cli
