#include "PaceClock.h"

#include <chrono>
#include <thread>
#include <utility>

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

IPaceClock *InstalledClock = nullptr;

} // namespace

IPaceClock &PaceClock()
{
    static TRealPaceClock realClock;
    return InstalledClock ? *InstalledClock : realClock;
}

IPaceClock *InstallPaceClock(IPaceClock *Replacement)
{
    return std::exchange(InstalledClock, Replacement);
}

} // namespace morlith
