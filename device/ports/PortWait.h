// SPDX-License-Identifier: MIT
#pragma once
// Waiting for ports that are not there yet (their port-map entry, the device it leads to, or the
// device path given) instead of failing at once. Prints nothing and reads no stop flag: the front
// end gives the wait that a stop request ends.

#include "PortChoice.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace morlith {

// Waits until one of `fds` is readable or `milliseconds` passed, without spinning; false when a
// stop was requested. On Windows `fds` is always empty.
using TStoppableWait = std::function<bool(const std::vector<int> &fds, int milliseconds)>;

// True when what `port` reaches is there now.
bool PortPresent(const TPortChoice &port);

// Wakes when what ports reach may have changed (one implementation per platform).
class TPortChanges {
public:
    TPortChanges();
    ~TPortChanges();
    TPortChanges(const TPortChanges &) = delete;
    TPortChanges &operator=(const TPortChanges &) = delete;

    // Follows the way from `port`'s name to its device.
    void Follow(const TPortChoice &port);
    // Waits through `wait` up to `milliseconds` for a change; false when a stop was requested.
    bool Wait(int milliseconds, const TStoppableWait &wait);

private:
    struct TImpl;
    std::unique_ptr<TImpl> FImpl;
};

// Waits through `wait` up to `seconds` until every port is there; a stop request ends the wait
// early. `waiting`, when given, is told once what is waited for ("COM3, COM4"). True when every
// port is there.
bool WaitForPorts(const std::vector<TPortChoice> &ports, uint32_t seconds, const TStoppableWait &wait,
                  const std::function<void(const std::string &missing)> &waiting = {});

} // namespace morlith
