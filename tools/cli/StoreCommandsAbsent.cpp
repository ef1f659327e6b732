// SPDX-License-Identifier: MIT
// The store commands of a build without the store: each says so and does nothing.
#include "StoreCommands.h"

#include "Rejection.h"
#include "SessionReport.h"

namespace morlith::cli {
namespace {

int NoStore(const TCliOptions &options, TConsole &console)
{
    return Reject(console, options.Json, kExitBadInput,
                  "the shared store is not available in this build of morlith-cli: it works from local files only");
}

} // namespace

int RunStoreInit(const TCliOptions &options, TConsole &console) { return NoStore(options, console); }
int RunStoreSequence(const TCliOptions &options, TConsole &console) { return NoStore(options, console); }
int RunStorePush(const TCliOptions &options, TConsole &console) { return NoStore(options, console); }

int ReadStoreLog(const TCliOptions &options, const TLogFilter &, const TLogVisitor &, TConsole &console)
{
    return NoStore(options, console);
}

std::string SerialStoreProblem(const TCliOptions &, const TRecipe &recipe)
{
    const TRecipeSerial *serial = recipe.Serial();
    if (!serial || serial->Origin != TSerialOrigin::soSequence)
        return "";
    return "serial numbers come from the store's " + SerialOriginText(*serial) +
           ", but this build of morlith-cli has no store: it works from local files only";
}

TFailure OpenStoreSerials(const TCliOptions &options, TRecipeRun &run)
{
    return MakeFailure(TFailureKind::fkRefusedInput, SerialStoreProblem(options, run.Recipe));
}

} // namespace morlith::cli
