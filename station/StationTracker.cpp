// SPDX-License-Identifier: MIT
#include "StationTracker.h"

#include <set>

namespace morlith {

TStationTracker::TStationTracker(const std::vector<TWatchedPort> &present, bool takeExisting)
{
    for (const TWatchedPort &port : present)
        FPorts[port.Key] = TState{port, true, !takeExisting, false};
}

void TStationTracker::Update(const std::vector<std::string> &departed, const std::vector<TWatchedPort> &present)
{
    for (const std::string &key : departed) {
        const auto state = FPorts.find(key);
        if (state != FPorts.end())
            state->second.Taken = false;
    }
    std::set<std::string> there;
    for (const TWatchedPort &port : present) {
        there.insert(port.Key);
        TState &state = FPorts[port.Key];
        if (state.Present && state.Port.Device != port.Device)
            state.Taken = false;
        state.Port = port;
        state.Present = true;
    }
    for (auto &[key, state] : FPorts) {
        if (there.count(key))
            continue;
        state.Present = false;
        state.Taken = false;
    }
}

std::vector<TWatchedPort> TStationTracker::TakeReady(size_t most)
{
    std::vector<TWatchedPort> ready;
    for (auto &[key, state] : FPorts) {
        if (ready.size() >= most)
            break;
        if (!state.Present || state.Taken || state.Running)
            continue;
        state.Taken = true;
        state.Running = true;
        ready.push_back(state.Port);
    }
    return ready;
}

void TStationTracker::Finished(const std::string &key)
{
    const auto state = FPorts.find(key);
    if (state != FPorts.end())
        state->second.Running = false;
}

size_t TStationTracker::Running() const
{
    size_t running = 0;
    for (const auto &[key, state] : FPorts)
        running += state.Running ? 1 : 0;
    return running;
}

} // namespace morlith
