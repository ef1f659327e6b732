// SPDX-License-Identifier: MIT
#pragma once
// The shared store from the command line: `store init`, `store sequence`, `store push`, and the
// store's records for `log` without a file. The store is named by --store or MORLITH_STORE. A
// build without the store (Windows) has these commands too and says the store is not there.

#include "CliOptions.h"
#include "Console.h"
#include "LogReader.h"
#include "UnitRun.h"

namespace morlith::cli {

// Each runs its command and returns the exit status.
int RunStoreInit(const TCliOptions &options, TConsole &console);
int RunStoreSequence(const TCliOptions &options, TConsole &console);
int RunStorePush(const TCliOptions &options, TConsole &console);

// Gives `each` the store's unit records that `filter` lets through, in the order they were
// started; kExitSuccess, or the exit status of the failure it reported (no store named, a store
// that cannot be reached or refused).
int ReadStoreLog(const TCliOptions &options, const TLogFilter &filter, const TLogVisitor &each, TConsole &console);

// Opens the recipe's sequence in the store the options name into `run.Serials`. The failure when
// it cannot be opened (no store named, none in this build, a lease another process holds).
TFailure OpenStoreSerials(const TCliOptions &options, TRecipeRun &run);

// What keeps the recipe's serial numbers from coming, seen without a module: a sequence with no
// store named (or none in this build). Empty when nothing does.
std::string SerialStoreProblem(const TCliOptions &options, const TRecipe &recipe);

} // namespace morlith::cli
