// SPDX-License-Identifier: MIT
#pragma once
// A station: every unit that appears on a watched port gets a piece of work on a thread of its
// own, as the tracker allows and at most `most` at once, until the front end's wait says a stop
// was requested; then every piece of work is let end. Prints nothing; the front end makes the
// work, waits, and hears of ports and ended work on the station's thread.

#include "StationTracker.h"
#include "WakeUp.h"

#include <functional>
#include <list>
#include <memory>
#include <thread>

namespace morlith {

// The work on one unit: made and freed on the station's thread, run on a thread of its own.
class TStationWork {
public:
    virtual ~TStationWork() = default;
    virtual void Run() = 0;
};

class TStation {
public:
    using TMakeWork = std::function<std::unique_ptr<TStationWork>(const TWatchedPort &port)>;
    // Hears of a piece of work that ended, before it is freed.
    using TWorkEnded = std::function<void(TStationWork &work)>;
    // Hears of the ports there now; `leftAlone` at the start, for the ports that are not taken
    // until they come back.
    using TPortsChanged = std::function<void(const std::vector<TWatchedPort> &present, bool leftAlone)>;
    // Waits until one of `fds` is readable, a stop is requested (wrInterrupted) or `timeoutMs`
    // passed (-1: no limit); `ready` gets one flag per descriptor.
    using TWait = std::function<TWaitResult(const std::vector<int> &fds, int timeoutMs, std::vector<bool> *ready)>;
    // Starts a thread that runs `body` (a front end may set what the thread inherits).
    using TStartThread = std::function<std::thread(std::function<void()> body)>;

    // The ports there now are taken at once with `takeExisting`, otherwise left alone until they
    // come back.
    TStation(TPortWatcher &watcher, bool takeExisting, size_t most);
    ~TStation();
    TStation(const TStation &) = delete;
    TStation &operator=(const TStation &) = delete;

    void SetPortsListener(TPortsChanged listener) { FPortsChanged = std::move(listener); }
    // `idle` is called after every `everyMs` without an event.
    void SetIdleCall(int everyMs, std::function<void()> idle);
    void SetThreadStarter(TStartThread starter) { FStartThread = std::move(starter); }

    // Works on the ports as they come until `wait` says a stop was requested; returns once every
    // piece of work ended.
    void Serve(const TMakeWork &makeWork, const TWorkEnded &workEnded, const TWait &wait);

private:
    struct TRunning;

    void StartReady(const TMakeWork &makeWork);
    // Collects the work that ended (all of it, waiting, with `all`).
    void Reap(bool all, const TWorkEnded &workEnded);

    TPortWatcher &FWatcher;
    bool FTakeExisting;
    size_t FMost;
    std::vector<TWatchedPort> FPresentAtStart;
    TStationTracker FTracker;
    TWakeUp FDone;
    std::list<std::unique_ptr<TRunning>> FRunning;
    TPortsChanged FPortsChanged;
    int FIdleMs = -1;
    std::function<void()> FIdle;
    TStartThread FStartThread = [](std::function<void()> body) { return std::thread(std::move(body)); };
};

} // namespace morlith
