// SPDX-License-Identifier: MIT
#pragma once
// TProcessTimer: a window timer with a notion of a timed process that starts, ticks and ends.

#include "NotifyEvent.h"

#include <QDateTime>
#include <QObject>

#include <cstdint>

class QTimer;

namespace morlith {

// When a running process ends by itself.
enum class TTimerExecutingMode : uint8_t {
    temStandart, // never; only Stop ends it
    temByTicks,  // after MaxTickCount ticks
    temByTime,   // at the first tick at least MaxMilliSecondsCount ms after the start
};

// Drives animations: Start, one OnTimer per tick, OnStop when the process ends.
//
// The inner timer is disarmed at the start of each tick and re-armed at its end, so ticks never
// overlap and the next interval counts from the end of the handlers. Everything runs on the
// thread of the event loop that owns the object.
class TProcessTimer : public QObject {
public:
    // How long Stop blocks the calling thread, in milliseconds.
    static constexpr int kStopPauseMs = 200;
    // Initial Interval, in milliseconds.
    static constexpr int kDefaultIntervalMs = 1000;
    // Initial MaxTickCount.
    static constexpr uint32_t kDefaultMaxTickCount = 100;
    // Initial MaxMilliSecondsCount.
    static constexpr uint32_t kDefaultMaxMilliSecondsCount = 10000;

    // Creates an idle timer owned by `owner` (which may be null).
    explicit TProcessTimer(QObject *owner = nullptr);
    // Frees the inner timer; fires no event, also while running.
    ~TProcessTimer() override;

    // Whether a process runs.
    bool Running() const { return FRunning; }
    // Starts (true) or stops (false) the process; equal values do nothing.
    void SetRunning(bool value);
    // Begins a process unless one runs: fires OnStart, resets the counters, arms the timer.
    void Start();
    // Ends a running process from outside: disarms, pauses kStopPauseMs, fires OnStop.
    void Stop();

    // Milliseconds between ticks; 0 or less never ticks.
    int Interval() const { return FInterval; }
    // Sets the interval; a running process is re-armed with it.
    void SetInterval(int milliseconds);
    // When the process ends by itself.
    TTimerExecutingMode ExecutingMode() const { return FExecutingMode; }
    // Sets the mode; takes effect at the next Start and tick.
    void SetExecutingMode(TTimerExecutingMode mode) { FExecutingMode = mode; }
    // Ticks of a temByTicks process.
    uint32_t MaxTickCount() const { return FMaxTickCount; }
    // Sets MaxTickCount; 0 is ignored.
    void SetMaxTickCount(uint32_t count);
    // Milliseconds of a temByTime process.
    uint32_t MaxMilliSecondsCount() const { return FMaxMilliSecondsCount; }
    // Sets MaxMilliSecondsCount; 0 is ignored.
    void SetMaxMilliSecondsCount(uint32_t milliseconds);

    // Ticks since the last start of a temByTicks process.
    int32_t TickCount() const { return FTickCount; }
    // Percent of the process done, 0 to 100 (stays 0 in temStandart).
    float Progress() const { return FProgress; }
    // Local time of the last start of a temByTime process (or of construction).
    QDateTime StartTime() const { return FStartTime; }

    // Fired at every tick, after Progress is updated (Running is already false on the last one).
    TNotifyEvent<TProcessTimer> OnTimer;
    // Fired by Start before anything is reset.
    TNotifyEvent<TProcessTimer> OnStart;
    // Fired once when a process ends, by itself or through Stop.
    TNotifyEvent<TProcessTimer> OnStop;

private:
    void Tick();
    // The tick proper; `destroyed` turns true if a handler destroys this object.
    void RunTick(const bool &destroyed);
    void UpdateProgress();
    void Arm();
    void Disarm();

    QTimer *FTimer;
    int FInterval = kDefaultIntervalMs;
    TTimerExecutingMode FExecutingMode = TTimerExecutingMode::temStandart;
    uint32_t FMaxTickCount = kDefaultMaxTickCount;
    uint32_t FMaxMilliSecondsCount = kDefaultMaxMilliSecondsCount;
    QDateTime FStartTime;
    int32_t FTickCount = 0;
    float FProgress = 0;
    bool FRunning = false;
    bool FInTick = false;
    // Whether the inner timer is enabled (it only fires while the interval is positive).
    bool FArmed = false;
    // Set by the destructor when it runs inside a tick, so the tick stops touching the object.
    bool *FDestroyedFlag = nullptr;
};

} // namespace morlith
