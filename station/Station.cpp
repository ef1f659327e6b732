// SPDX-License-Identifier: MIT
#include "Station.h"

#include <atomic>

namespace morlith {

struct TStation::TRunning {
    std::string Key;
    std::unique_ptr<TStationWork> Work;
    std::thread Thread;
    std::atomic<bool> Done{false};
};

TStation::TStation(TPortWatcher &watcher, bool takeExisting, size_t most)
    : FWatcher(watcher),
      FTakeExisting(takeExisting),
      FMost(most),
      FPresentAtStart(watcher.Present()),
      FTracker(FPresentAtStart, takeExisting)
{
}

TStation::~TStation() = default;

void TStation::SetIdleCall(int everyMs, std::function<void()> idle)
{
    FIdleMs = everyMs;
    FIdle = std::move(idle);
}

void TStation::Serve(const TMakeWork &makeWork, const TWorkEnded &workEnded, const TWait &wait)
{
    if (FPortsChanged)
        FPortsChanged(FPresentAtStart, !FTakeExisting);
    for (;;) {
        StartReady(makeWork);
        std::vector<bool> ready;
        const TWaitResult waited = wait({FWatcher.Fd(), FDone.Fd()}, FIdle ? FIdleMs : -1, &ready);
        if (waited == TWaitResult::wrInterrupted)
            break;
        if (waited == TWaitResult::wrTimeout) {
            if (FIdle)
                FIdle();
            continue;
        }
        if (ready[1]) {
            FDone.Drain();
            Reap(false, workEnded);
        }
        if (ready[0]) {
            const auto departed = FWatcher.TakeDepartures();
            const std::vector<TWatchedPort> present = FWatcher.Present();
            FTracker.Update(departed, present);
            if (FPortsChanged)
                FPortsChanged(present, false);
        }
    }
    // Every piece of work has been asked to stop; each ends after its current exchange.
    Reap(true, workEnded);
}

void TStation::StartReady(const TMakeWork &makeWork)
{
    const size_t running = FTracker.Running();
    if (running >= FMost)
        return;
    for (const TWatchedPort &port : FTracker.TakeReady(FMost - running)) {
        FWatcher.SetInUse(port.Key, true);
        auto item = std::make_unique<TRunning>();
        item->Key = port.Key;
        item->Work = makeWork(port);
        TRunning *running = item.get();
        item->Thread = FStartThread([running, this] {
            running->Work->Run();
            running->Done = true;
            FDone.Notify();
        });
        FRunning.push_back(std::move(item));
    }
}

void TStation::Reap(bool all, const TWorkEnded &workEnded)
{
    for (auto item = FRunning.begin(); item != FRunning.end();) {
        if (!all && !(*item)->Done) {
            ++item;
            continue;
        }
        (*item)->Thread.join();
        workEnded(*(*item)->Work);
        FTracker.Finished((*item)->Key);
        FWatcher.SetInUse((*item)->Key, false);
        item = FRunning.erase(item);
    }
}

} // namespace morlith
