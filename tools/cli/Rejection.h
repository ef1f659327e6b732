#pragma once
// How a command that cannot go ahead ends: one line on standard error naming the problem and,
// with --json, a result object on standard output.

#include "Console.h"

#include <string>

namespace morlith::cli {

// Reports `message` and returns `status`.
int Reject(TConsole &console, bool json, int status, const std::string &message);

} // namespace morlith::cli
