// SPDX-License-Identifier: MIT
#pragma once
// Waiting without spinning: for descriptors to become readable, a stop request (Ctrl-C, SIGTERM)
// or a time limit, whichever comes first. A stop request makes a descriptor of its own readable
// for good, so every waiter in every thread wakes.

#include "WakeUp.h"

#include <vector>

namespace morlith::cli {

// Makes the descriptor that stop requests wake; called once, before signals are handled.
void OpenInterruptWake();
// Wakes every wait (async-signal-safe); RequestInterrupt calls it.
void NotifyInterruptWake();

// Waits until one of `fds` is readable, a stop is requested or `timeoutMs` passed (-1: no limit).
// `ready`, when given, gets one flag per descriptor. Linux only.
TWaitResult WaitForInput(const std::vector<int> &fds, int timeoutMs, std::vector<bool> *ready = nullptr);

// WaitForInput as the engine's waits take it: false when a stop was requested. On Windows `fds`
// must be empty (the wait is a sleep that a stop request ends).
bool WaitUnlessInterrupted(const std::vector<int> &fds, int timeoutMs);

// Sleeps `milliseconds` unless a stop is requested first; false when one was.
bool SleepUnlessInterrupted(int milliseconds);

} // namespace morlith::cli
