// SPDX-License-Identifier: MIT
#pragma once
// Waiting without spinning: what ended a wait, and a descriptor that other threads make readable
// to wake a waiting one (Linux).

namespace morlith {

// What ended a wait.
enum class TWaitResult {
    wrReady, // a descriptor is readable
    wrTimeout, // the time ran out
    wrInterrupted, // a stop was requested
};

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

} // namespace morlith
