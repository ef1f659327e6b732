// SPDX-License-Identifier: MIT
#include "PaceClock.h"

#include "Replaceable.h"

#include <chrono>
#include <thread>

namespace morlith {
namespace {

// Waits as long as asked.
class TRealPaceClock : public IPaceClock {
public:
    void Sleep(int Milliseconds) override
    {
        if (Milliseconds > 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(Milliseconds));
    }
    int TimerInterval(int Milliseconds) override { return Milliseconds; }
};

using TPaceClockService = TReplaceable<IPaceClock, TRealPaceClock>;

} // namespace

IPaceClock &PaceClock()
{
    return TPaceClockService::Current();
}

IPaceClock *InstallPaceClock(IPaceClock *Replacement)
{
    return TPaceClockService::Install(Replacement);
}

} // namespace morlith
