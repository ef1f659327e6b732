#pragma once
// What an operator can do about a failure, by its kind: the words under the reason in the GUI's
// message boxes.

#include "Failure.h"

#include <string>

namespace morlith {

// A hint for `Failure`, or "" when its kind has none (a refused package says enough by itself).
std::string FailureHint(const TFailure &Failure);

} // namespace morlith
