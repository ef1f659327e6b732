// SPDX-License-Identifier: MIT
#pragma once
// --wait: a port that is not there yet is waited for (its port-map entry, the device it leads to,
// or the device path given) instead of failing at once.

#include "Console.h"
#include "PortChoice.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace morlith::cli {

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
    // Waits up to `milliseconds` for a change; false when a stop was requested.
    bool Wait(int milliseconds);

private:
    struct TImpl;
    std::unique_ptr<TImpl> FImpl;
};

// Waits up to `seconds` until every port is there; a stop request ends the wait early. Says on
// standard error what it waits for unless `quiet`. Returns true when every port is there.
bool WaitForPorts(const std::vector<TPortChoice> &ports, uint32_t seconds, bool quiet, TConsole &console);

} // namespace morlith::cli
