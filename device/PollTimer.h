// SPDX-License-Identifier: MIT
#pragma once
// The periodic timer behind the serial driver's input polling. The engine has no event loop of
// its own: a front end that runs one (the GUI, with a QTimer on its thread) installs a factory,
// and tests install one they drive by hand. With no factory installed, nothing polls.

#include <cstdint>
#include <functional>
#include <memory>

namespace morlith {

// A periodic timer on the thread that runs the host's event loop.
class IPollTimer {
public:
    virtual ~IPollTimer() = default;
    // Starts (or restarts) calling `tick` every `periodMs` milliseconds.
    virtual void Start(uint32_t periodMs, std::function<void()> tick) = 0;
    // Stops the ticks; no tick arrives after this returns.
    virtual void Stop() = 0;
};

// Makes the timers; installed once by the host.
using PollTimerFactory = std::function<std::unique_ptr<IPollTimer>()>;

// Installs the factory used by drivers created from now on (an empty one disables polling).
void SetPollTimerFactory(PollTimerFactory factory);

// A new timer from the installed factory, or null when none is installed.
std::unique_ptr<IPollTimer> CreatePollTimer();

} // namespace morlith
