// The pace clock: the real one waits as asked; an installed one sees every deliberate wait.

#include "FastPaceClock.h"
#include "PaceClock.h"
#include "ProcessTimer.h"
#include "TestSupport.h"

#include <QElapsedTimer>

#include <gtest/gtest.h>

using namespace morlith;
using morlith::test::RunEventsUntil;

namespace {

TEST(PaceClock, TheRealClockWaitsAsLongAsAskedAndArmsTimersAsAsked)
{
    QElapsedTimer elapsed;
    elapsed.start();
    PaceClock().Sleep(60);
    EXPECT_GE(elapsed.elapsed(), 60);
    EXPECT_EQ(PaceClock().TimerInterval(100), 100);
}

TEST(PaceClock, AProcessTimerAsksTheClockForEachTickAndForItsStopPause)
{
    {
        FastPaceClock clock;
        TProcessTimer counted;
        counted.SetExecutingMode(TTimerExecutingMode::temByTicks);
        counted.SetInterval(100);
        counted.SetMaxTickCount(5);
        int ticks = 0;
        counted.OnTimer = [&](TProcessTimer *) { ++ticks; };
        counted.Start();
        ASSERT_TRUE(RunEventsUntil([&] { return !counted.Running(); }));
        EXPECT_EQ(ticks, 5);
        EXPECT_EQ(clock.tickIntervals, std::vector<int>(5, 100)) << "armed at the start and after "
                                                                    "each tick but the last";
        EXPECT_TRUE(clock.pauses.empty()) << "a process that ends by itself does not pause";

        TProcessTimer standard;
        standard.SetInterval(50);
        int stops = 0;
        standard.OnStop = [&](TProcessTimer *) {
            ++stops;
            EXPECT_EQ(clock.pauses, std::vector<int>{TProcessTimer::kStopPauseMs})
                << "the pause comes before OnStop";
        };
        standard.Start();
        standard.Stop();
        EXPECT_EQ(stops, 1);
    }
    EXPECT_EQ(PaceClock().TimerInterval(7), 7) << "the real clock is back";
}

} // namespace
