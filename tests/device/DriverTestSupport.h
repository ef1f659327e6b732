// SPDX-License-Identifier: MIT
#pragma once
// Shared pieces of the serial tests: a poll timer the test ticks by hand, and clocks.

#include "PollTimer.h"

#include <chrono>
#include <ctime>
#include <functional>

// A poll timer that ticks only when the test says so.
class ManualPollTimer : public morlith::IPollTimer {
public:
    static ManualPollTimer *Last; // the timer most recently created
    ManualPollTimer() { Last = this; }
    ~ManualPollTimer() override
    {
        if (Last == this)
            Last = nullptr;
    }
    void Start(uint32_t periodMs, std::function<void()> tick) override
    {
        PeriodMs = periodMs;
        Tick = std::move(tick);
        ++Starts;
    }
    void Stop() override { Tick = nullptr; }
    bool Running() const { return bool(Tick); }
    void Fire()
    {
        if (Tick)
            Tick();
    }
    uint32_t PeriodMs = 0;
    int Starts = 0;
    std::function<void()> Tick;
};

// Installs ManualPollTimer as the factory for the lifetime of the object.
struct ManualPollTimers {
    ManualPollTimers()
    {
        morlith::SetPollTimerFactory([] { return std::make_unique<ManualPollTimer>(); });
    }
    ~ManualPollTimers() { morlith::SetPollTimerFactory(nullptr); }
};

// Wall time and this thread's CPU time since construction, in milliseconds.
class Stopwatch {
public:
    Stopwatch() : FWall(std::chrono::steady_clock::now()), FCpu(ThreadCpuMs()) {}
    double WallMs() const
    {
        return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - FWall)
            .count();
    }
    double CpuMs() const { return ThreadCpuMs() - FCpu; }

private:
    static double ThreadCpuMs()
    {
        timespec ts{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
        return double(ts.tv_sec) * 1e3 + double(ts.tv_nsec) / 1e6;
    }
    std::chrono::steady_clock::time_point FWall;
    double FCpu;
};
