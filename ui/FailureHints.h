#pragma once
// What an operator can do about a failure, by its kind: the words under the reason in the GUI's
// message boxes.

#include "Failure.h"

#include <string>

namespace morlith {

// The step of a failed save of the configuration file; its hint is about that file.
inline constexpr const char *kSaveConfigurationStep = "saving the configuration";

// A hint for `Failure`, or "" when its kind has none (a refused package says enough by itself).
// A write that left the module with part of an application also says what to do about that.
std::string FailureHint(const TFailure &Failure);

} // namespace morlith
