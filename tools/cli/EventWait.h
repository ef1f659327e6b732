// SPDX-License-Identifier: MIT
#pragma once
// Waiting without spinning: for descriptors to become readable, a stop request (Ctrl-C, SIGTERM)
// or a time limit, whichever comes first. A stop request makes a descriptor of its own readable
// for good, so every waiter in every thread wakes.

#include <vector>

namespace morlith::cli {

// Makes the descriptor that stop requests wake; called once, before signals are handled.
void OpenInterruptWake();
// Wakes every wait (async-signal-safe); RequestInterrupt calls it.
void NotifyInterruptWake();

// What ended a wait.
enum class TWaitResult {
    wrReady, // a descriptor is readable
    wrTimeout, // the time ran out
    wrInterrupted, // a stop was requested
};

// Waits until one of `fds` is readable, a stop is requested or `timeoutMs` passed (-1: no limit).
// `ready`, when given, gets one flag per descriptor. Linux only, as TWakeUp below.
TWaitResult WaitForInput(const std::vector<int> &fds, int timeoutMs, std::vector<bool> *ready = nullptr);

// Sleeps `milliseconds` unless a stop is requested first; false when one was.
bool SleepUnlessInterrupted(int milliseconds);

// A descriptor that other threads make readable to wake a waiting one.
class TWakeUp {
public:
    TWakeUp();
    ~TWakeUp();
    TWakeUp(const TWakeUp &) = delete;
    TWakeUp &operator=(const TWakeUp &) = delete;

    // Readable after Notify until Drain.
    int Fd() const { return FRead; }
    // Makes Fd readable; safe from any thread.
    void Notify();
    // Takes what Notify left.
    void Drain();

private:
    int FRead = -1;
    int FWrite = -1;
};

} // namespace morlith::cli
