// SPDX-License-Identifier: MIT
#pragma once
// What an operator can do about a failure, by its kind: the words under the reason in the GUI's
// message boxes.

#include "Failure.h"

#include <string>

namespace morlith {

// The step of a failed save of the configuration file; its hint is about that file.
inline constexpr const char *kSaveConfigurationStep = "saving the configuration";

// The system whose terms a hint uses (the port map and udev on Linux, Device Manager on Windows).
enum class THintSystem { hsLinux, hsWindows };

// The system this program was built for.
#ifdef _WIN32
inline constexpr THintSystem kHostHintSystem = THintSystem::hsWindows;
#else
inline constexpr THintSystem kHostHintSystem = THintSystem::hsLinux;
#endif

// A hint for `Failure` in the terms of `System`, or "" when its kind has none (a refused package
// says enough by itself). A write that left the module with part of an application also says
// what to do about that.
std::string FailureHint(const TFailure &Failure, THintSystem System = kHostHintSystem);

} // namespace morlith
