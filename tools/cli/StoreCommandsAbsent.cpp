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

} // namespace morlith::cli
