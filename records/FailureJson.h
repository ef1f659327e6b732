// SPDX-License-Identifier: MIT
#pragma once
// A failure record as JSON: the "error" object of the command-line tool's results and of the
// production log.

#include "Failure.h"
#include "JsonLines.h"

namespace morlith {

// The "error" object of a failed result: kind, step, message, the reason within the kind where
// there is one (a store failure's), and the cause's details.
TJson FailureObject(const TFailure &failure);

} // namespace morlith
