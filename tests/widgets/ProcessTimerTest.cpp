// SPDX-License-Identifier: MIT
#include "FastPaceClock.h"
#include "ProcessTimer.h"
#include "TestSupport.h"

#include <QElapsedTimer>
#include <QMetaObject>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

using namespace morlith;
using morlith::test::RunEventsFor;
using morlith::test::RunEventsUntil;

namespace {

// Records the events of a process timer in order, with Progress and Running at each tick.
struct TEventLog {
    explicit TEventLog(TProcessTimer &timer)
    {
        timer.OnStart = [this](TProcessTimer *sender) {
            EXPECT_FALSE(sender->Running());
            Events.push_back("start");
        };
        timer.OnTimer = [this](TProcessTimer *sender) {
            Events.push_back("timer");
            Progress.push_back(sender->Progress());
            RunningAtTick.push_back(sender->Running());
        };
        timer.OnStop = [this](TProcessTimer *) { Events.push_back("stop"); };
    }
    int Count(const std::string &name) const
    {
        return static_cast<int>(std::count(Events.begin(), Events.end(), name));
    }
    std::vector<std::string> Events;
    std::vector<float> Progress;
    std::vector<bool> RunningAtTick;
};

TEST(ProcessTimer, StartsIdleWithItsDefaults)
{
    TProcessTimer timer;
    EXPECT_FALSE(timer.Running());
    EXPECT_EQ(timer.ExecutingMode(), TTimerExecutingMode::temStandart);
    EXPECT_EQ(timer.Interval(), 1000);
    EXPECT_EQ(timer.MaxTickCount(), 100u);
    EXPECT_EQ(timer.MaxMilliSecondsCount(), 10000u);
    EXPECT_EQ(timer.Progress(), 0.0f);

    timer.SetMaxTickCount(0);
    timer.SetMaxMilliSecondsCount(0);
    EXPECT_EQ(timer.MaxTickCount(), 100u);
    EXPECT_EQ(timer.MaxMilliSecondsCount(), 10000u);
    timer.SetMaxTickCount(7);
    EXPECT_EQ(timer.MaxTickCount(), 7u);
}

TEST(ProcessTimer, CountedRunTicksExactlyMaxTickCountThenStopsOnce)
{
    TProcessTimer timer;
    timer.SetExecutingMode(TTimerExecutingMode::temByTicks);
    timer.SetInterval(10);
    timer.SetMaxTickCount(30);
    TEventLog log(timer);

    QElapsedTimer clock;
    clock.start();
    timer.SetRunning(true);
    ASSERT_TRUE(RunEventsUntil([&] { return log.Count("stop") > 0; }));
    const qint64 elapsed = clock.elapsed();
    RunEventsFor(50);

    EXPECT_EQ(log.Count("start"), 1);
    EXPECT_EQ(log.Count("timer"), 30);
    EXPECT_EQ(log.Count("stop"), 1);
    EXPECT_EQ(log.Events.back(), "stop");
    EXPECT_EQ(log.Progress.back(), 100.0f);
    EXPECT_FALSE(log.RunningAtTick.back());
    EXPECT_TRUE(log.RunningAtTick[28]);
    EXPECT_FLOAT_EQ(log.Progress[0], 100.0f / 30);
    // Ticks never overlap: a counted process takes at least count x interval.
    EXPECT_GE(elapsed, 30 * 10 - 5);
    EXPECT_FALSE(timer.Running());
}

TEST(ProcessTimer, CountOfOneEndsAtTheFirstTick)
{
    TProcessTimer timer;
    timer.SetExecutingMode(TTimerExecutingMode::temByTicks);
    timer.SetInterval(5);
    timer.SetMaxTickCount(1);
    TEventLog log(timer);
    timer.Start();
    ASSERT_TRUE(RunEventsUntil([&] { return log.Count("stop") > 0; }));
    EXPECT_EQ(log.Events, (std::vector<std::string>{"start", "timer", "stop"}));
    EXPECT_EQ(log.Progress[0], 100.0f);
    EXPECT_FALSE(log.RunningAtTick[0]);

    // The process can run again, with its counters reset.
    timer.Start();
    ASSERT_TRUE(RunEventsUntil([&] { return log.Count("stop") > 1; }));
    EXPECT_EQ(log.Count("timer"), 2);
}

TEST(ProcessTimer, TimedRunEndsAtTheFirstTickPastTheLimit)
{
    TProcessTimer timer;
    timer.SetExecutingMode(TTimerExecutingMode::temByTime);
    timer.SetInterval(20);
    timer.SetMaxMilliSecondsCount(120);
    TEventLog log(timer);
    QElapsedTimer clock;
    clock.start();
    timer.Start();
    ASSERT_TRUE(RunEventsUntil([&] { return log.Count("stop") > 0; }));
    EXPECT_GE(clock.elapsed(), 120 - 5);
    ASSERT_GE(log.Progress.size(), 2u);
    EXPECT_EQ(log.Progress.back(), 100.0f);
    for (size_t i = 0; i + 1 < log.Progress.size(); ++i) {
        EXPECT_LT(log.Progress[i], 100.0f);
        EXPECT_TRUE(log.RunningAtTick[i]);
    }
    EXPECT_EQ(log.Count("stop"), 1);
}

TEST(ProcessTimer, StandardModeRunsUntilStopAndStopPausesThenFiresOnStop)
{
    FastPaceClock pace;
    TProcessTimer timer;
    timer.SetInterval(5);
    TEventLog log(timer);
    timer.Start();
    ASSERT_TRUE(RunEventsUntil([&] { return log.Count("timer") >= 3; }));
    EXPECT_TRUE(timer.Running());
    EXPECT_EQ(timer.Progress(), 0.0f);

    timer.SetRunning(false);
    EXPECT_EQ(pace.pauses, std::vector<int>{TProcessTimer::kStopPauseMs});
    EXPECT_EQ(log.Count("stop"), 1);
    const int ticks = log.Count("timer");
    RunEventsFor(20); // twenty ticks' worth at the fast pace
    EXPECT_EQ(log.Count("timer"), ticks);
}

TEST(ProcessTimer, StopWhileIdleNeitherWaitsNorFires)
{
    TProcessTimer timer;
    TEventLog log(timer);
    QElapsedTimer clock;
    clock.start();
    timer.Stop();
    timer.SetRunning(false);
    EXPECT_LT(clock.elapsed(), TProcessTimer::kStopPauseMs / 2);
    EXPECT_TRUE(log.Events.empty());
}

TEST(ProcessTimer, StartWhileRunningChangesNothing)
{
    TProcessTimer timer;
    timer.SetExecutingMode(TTimerExecutingMode::temByTicks);
    timer.SetInterval(5);
    timer.SetMaxTickCount(1000);
    TEventLog log(timer);
    timer.Start();
    ASSERT_TRUE(RunEventsUntil([&] { return log.Count("timer") >= 3; }));
    const int ticks = timer.TickCount();
    timer.Start();
    timer.SetRunning(true);
    EXPECT_EQ(log.Count("start"), 1);
    EXPECT_GE(timer.TickCount(), ticks);
}

TEST(ProcessTimer, StopInsideOnTimerFiresOnStopOnceAfterTheHandler)
{
    TProcessTimer timer;
    timer.SetInterval(5);
    std::vector<std::string> events;
    timer.OnTimer = [&](TProcessTimer *sender) {
        events.push_back("timer");
        if (events.size() == 3) {
            sender->Stop();
            events.push_back("timer returns");
        }
    };
    timer.OnStop = [&](TProcessTimer *) { events.push_back("stop"); };
    timer.Start();
    ASSERT_TRUE(RunEventsUntil([&] { return !events.empty() && events.back() == "stop"; }));
    RunEventsFor(50);
    EXPECT_EQ(events, (std::vector<std::string>{"timer", "timer", "timer", "timer returns", "stop"}));
}

TEST(ProcessTimer, TickAfterStopDoesNothing)
{
    TProcessTimer timer;
    timer.SetInterval(5);
    TEventLog log(timer);
    timer.Start();
    timer.Stop();
    // A tick already queued when Stop ran reaches the handler and is dropped.
    auto *inner = timer.findChild<QTimer *>();
    ASSERT_NE(inner, nullptr);
    ASSERT_TRUE(QMetaObject::invokeMethod(inner, "timeout"));
    EXPECT_EQ(log.Count("timer"), 0);
    EXPECT_EQ(log.Count("stop"), 1);
    EXPECT_FALSE(inner->isActive());
}

TEST(ProcessTimer, DestroyingARunningTimerFiresNothing)
{
    TEventLog *log = nullptr;
    {
        auto *timer = new TProcessTimer;
        timer->SetInterval(5);
        log = new TEventLog(*timer);
        timer->Start();
        delete timer;
    }
    RunEventsFor(40);
    EXPECT_EQ(log->Events, (std::vector<std::string>{"start"}));
    delete log;

    // Destroyed by its own OnTimer handler: the tick ends without touching it.
    auto *timer = new TProcessTimer;
    timer->SetInterval(5);
    int stops = 0;
    bool deleted = false;
    timer->OnStop = [&](TProcessTimer *) { ++stops; };
    timer->OnTimer = [&](TProcessTimer *sender) {
        delete sender;
        deleted = true;
    };
    timer->Start();
    ASSERT_TRUE(RunEventsUntil([&] { return deleted; }));
    EXPECT_EQ(stops, 0);
}

TEST(ProcessTimer, IntervalOfZeroNeverTicksUntilGivenAPositiveOne)
{
    TProcessTimer timer;
    timer.SetInterval(0);
    TEventLog log(timer);
    timer.Start();
    RunEventsFor(50);
    EXPECT_EQ(log.Count("timer"), 0);
    EXPECT_TRUE(timer.Running());
    timer.SetInterval(5);
    EXPECT_TRUE(RunEventsUntil([&] { return log.Count("timer") > 0; }));
}

TEST(ProcessTimer, ExceptionFromOnTimerEndsTheProcessWithoutOnStop)
{
    TProcessTimer timer;
    timer.SetInterval(5);
    int ticks = 0;
    int stops = 0;
    timer.OnTimer = [&](TProcessTimer *) {
        ++ticks;
        throw std::runtime_error("handler failed");
    };
    timer.OnStop = [&](TProcessTimer *) { ++stops; };
    timer.Start();
    ASSERT_TRUE(RunEventsUntil([&] { return ticks > 0; }));
    RunEventsFor(40);
    EXPECT_EQ(ticks, 1);
    EXPECT_EQ(stops, 0);
    EXPECT_FALSE(timer.Running());
    timer.OnTimer = nullptr;
    timer.Start();
    EXPECT_TRUE(timer.Running());
}

TEST(ProcessTimer, TicksAndTheStopPauseGoThroughThePaceClock)
{
    FastPaceClock clock;
    TProcessTimer timer;
    timer.SetExecutingMode(TTimerExecutingMode::temByTicks);
    timer.SetInterval(100);
    timer.SetMaxTickCount(5);
    timer.Start();
    ASSERT_TRUE(RunEventsUntil([&] { return !timer.Running(); }));
    EXPECT_EQ(clock.tickIntervals, std::vector<int>(5, 100)) << "armed at the start and after "
                                                                "each tick but the last";
    EXPECT_TRUE(clock.pauses.empty()) << "a process that ends by itself does not pause";

    timer.SetExecutingMode(TTimerExecutingMode::temStandart);
    std::vector<int> pausesAtStop;
    timer.OnStop = [&](TProcessTimer *) { pausesAtStop = clock.pauses; };
    timer.Start();
    timer.Stop();
    EXPECT_EQ(pausesAtStop, std::vector<int>{TProcessTimer::kStopPauseMs}) << "paused before OnStop";
}

} // namespace
