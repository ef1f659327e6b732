// SPDX-License-Identifier: MIT
#pragma once
// A pace clock for the interface tests: while one lives, the deliberate waits of the interface
// (the connect pause, the ticks and the stop pause of process timers) pass at once, in the same
// order, and the clock records what the program asked to wait.

#include "PaceClock.h"

#include <functional>
#include <vector>

class FastPaceClock : public morlith::IPaceClock {
public:
    // The interval every process timer ticks at meanwhile, in milliseconds.
    static constexpr int kTickMs = 1;

    FastPaceClock() : FPrevious(morlith::InstallPaceClock(this)) {}
    ~FastPaceClock() override { morlith::InstallPaceClock(FPrevious); }
    FastPaceClock(const FastPaceClock &) = delete;
    FastPaceClock &operator=(const FastPaceClock &) = delete;

    // The pauses asked for, in milliseconds, in order.
    std::vector<int> pauses;
    // Runs at each pause asked for, before it returns.
    std::function<void(int milliseconds)> onPause;
    // The tick intervals timers were armed with as the program asked them, in order.
    std::vector<int> tickIntervals;

    // IPaceClock: records and returns at once; timers tick every kTickMs.
    void Sleep(int milliseconds) override
    {
        pauses.push_back(milliseconds);
        if (onPause)
            onPause(milliseconds);
    }
    int TimerInterval(int milliseconds) override
    {
        tickIntervals.push_back(milliseconds);
        return kTickMs;
    }

private:
    morlith::IPaceClock *FPrevious;
};
