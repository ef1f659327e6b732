// SPDX-License-Identifier: MIT
// Station mode needs the port map's and the system's device announcements, which this Windows
// build does not follow.

#include "Rejection.h"
#include "SessionReport.h"
#include "WatchCommand.h"

namespace morlith::cli {

int RunWatch(const TCliOptions &options, TConsole &console)
{
    return Reject(console, options.Json, kExitBadInput,
                  "watch is not available on Windows; run the command for each port, or give --wait");
}

} // namespace morlith::cli
