// SPDX-License-Identifier: MIT
#pragma once
// Waiting for another thread or process to reach a state: checked every few milliseconds, and
// never longer than a limit, so that a fault fails the test instead of hanging it.

#include <chrono>
#include <thread>

namespace morlith::test {

// Checks `done` every 5 ms until it holds or `limit` has passed; returns whether it held.
template <class TCondition>
bool PollUntil(TCondition done, std::chrono::milliseconds limit = std::chrono::seconds(30))
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline)
            return done();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

} // namespace morlith::test
