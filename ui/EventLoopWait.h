// SPDX-License-Identifier: MIT
#pragma once
// Runs the event loop until a condition holds, for code that must wait on the screen's state
// (a page sliding in) without blocking the loop or spinning.

#include <functional>

namespace morlith {

// Processes events until `done` holds or `timeoutMs` passed; returns whether it holds.
bool ProcessEventsUntil(const std::function<bool()> &done, int timeoutMs);

} // namespace morlith
