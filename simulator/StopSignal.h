// SPDX-License-Identifier: MIT
#pragma once
// A flag that one thread raises to end another thread's waits at once: an eventfd that poll(2)
// watches next to the descriptor being served.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <poll.h>

namespace morlith {

// Raised once, never lowered; waits on it use poll(2) and never spin.
class TStopSignal {
public:
    // The clock of every deadline.
    using TClock = std::chrono::steady_clock;

    // Creates the eventfd; throws std::system_error when it cannot.
    TStopSignal();
    // Closes the eventfd.
    ~TStopSignal();
    TStopSignal(const TStopSignal &) = delete;
    TStopSignal &operator=(const TStopSignal &) = delete;

    // Raises the flag and wakes every wait.
    void Raise();

    // True once Raise was called.
    bool Raised() const;

    // The descriptor that becomes readable when the flag is raised.
    int Fd() const { return FFd; }

    // Sleeps until `deadline`; false if the flag was raised before (or during) the sleep.
    bool SleepUntil(TClock::time_point deadline) const;

private:
    int FFd = -1;
};

// Most descriptors one WaitForFds watches besides the stop signal.
constexpr int kMaxWaitFds = 4;

// Waits with poll(2) until one of `entries` (at most kMaxWaitFds) reports one of its events or
// `stop` is raised or `deadline` passes (no deadline: wait without limit). Restarts on EINTR.
// Fills each entry's revents; returns how many entries reported (0 on timeout) or -1 when `stop`
// was raised.
int WaitForFds(pollfd *entries, int count, const TStopSignal &stop,
               const TStopSignal::TClock::time_point *deadline);

// WaitForFds on one descriptor (none when `fd` is negative): returns the events seen on `fd` (0
// on timeout) or -1 when `stop` was raised.
int WaitForFd(int fd, short events, const TStopSignal &stop,
              const TStopSignal::TClock::time_point *deadline);

// Writes all `size` bytes to the non-blocking `fd`, waiting for room with poll(2), looping over
// partial writes and restarting on EINTR. False when `stop` was raised or the write failed.
bool WriteAll(int fd, const uint8_t *data, size_t size, const TStopSignal &stop);

} // namespace morlith
