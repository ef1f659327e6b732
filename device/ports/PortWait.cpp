// SPDX-License-Identifier: MIT
#include "PortWait.h"

#include <chrono>

namespace morlith {

bool WaitForPorts(const std::vector<TPortChoice> &ports, uint32_t seconds, const TStoppableWait &wait,
                  const std::function<void(const std::string &missing)> &waiting)
{
    using TClock = std::chrono::steady_clock;
    const auto deadline = TClock::now() + std::chrono::seconds(seconds);
    TPortChanges changes;
    bool told = false;
    for (;;) {
        std::string missing;
        for (const TPortChoice &port : ports) {
            if (PortPresent(port))
                continue;
            missing += (missing.empty() ? "" : ", ") + port.Label;
            changes.Follow(port);
        }
        if (missing.empty())
            return true;
        if (waiting && !told) {
            waiting(missing);
            told = true;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - TClock::now()).count();
        if (left <= 0 || !changes.Wait(int(left), wait))
            return false;
    }
}

} // namespace morlith
