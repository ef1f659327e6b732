// SPDX-License-Identifier: MIT
#pragma once
// How a command that cannot go ahead ends: one line on standard error naming the problem and,
// with --json, a result object on standard output whose "error" carries the failure kind.

#include "Console.h"
#include "Failure.h"

#include <string>

namespace morlith::cli {

// Reports `message` as a failure of `kind` and returns `status`. A usage error or a refused file
// is refused_input; a problem of the device or the system has its own kind.
int Reject(TConsole &console, bool json, int status, const std::string &message,
           TFailureKind kind = TFailureKind::fkRefusedInput);
// The same for a failure made where it happened: its kind, step, reason and details as they are.
int Reject(TConsole &console, bool json, int status, const TFailure &failure);

} // namespace morlith::cli
