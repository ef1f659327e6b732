// SPDX-License-Identifier: MIT
// Waits on POSIX: poll(2) over the descriptors and the read end of a pipe that a stop request
// writes to and nobody drains.

#include "EventWait.h"

#include "Interruption.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace morlith::cli {
namespace {

std::atomic<int> gWakeRead{-1};
std::atomic<int> gWakeWrite{-1};

static_assert(std::atomic<int>::is_always_lock_free, "the signal handler needs lock-free atomics");

} // namespace

void OpenInterruptWake()
{
    if (gWakeRead.load() >= 0)
        return;
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    gWakeRead.store(ends[0]);
    gWakeWrite.store(ends[1]);
}

void NotifyInterruptWake()
{
    const int descriptor = gWakeWrite.load();
    if (descriptor >= 0) {
        const char byte = 1;
        (void)!::write(descriptor, &byte, 1);
    }
}

TWaitResult WaitForInput(const std::vector<int> &fds, int timeoutMs, std::vector<bool> *ready)
{
    using TClock = std::chrono::steady_clock;
    const auto deadline = TClock::now() + std::chrono::milliseconds(timeoutMs < 0 ? 0 : timeoutMs);
    std::vector<pollfd> entries;
    for (const int fd : fds)
        entries.push_back({fd, POLLIN, 0});
    const int wake = gWakeRead.load();
    entries.push_back({wake, POLLIN, 0});
    for (;;) {
        if (InterruptRequested())
            return TWaitResult::wrInterrupted;
        int left = -1;
        if (timeoutMs >= 0) {
            const auto remaining = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - TClock::now());
            left = remaining.count() > 0 ? int(remaining.count()) : 0;
        }
        const int count = ::poll(entries.data(), entries.size(), left);
        if (count < 0 && errno == EINTR)
            continue;
        if (InterruptRequested())
            return TWaitResult::wrInterrupted;
        if (count <= 0)
            return TWaitResult::wrTimeout;
        if (ready) {
            ready->assign(fds.size(), false);
            for (size_t i = 0; i < fds.size(); ++i)
                (*ready)[i] = entries[i].revents != 0;
        }
        return TWaitResult::wrReady;
    }
}

bool WaitUnlessInterrupted(const std::vector<int> &fds, int timeoutMs)
{
    return WaitForInput(fds, timeoutMs) != TWaitResult::wrInterrupted;
}

bool SleepUnlessInterrupted(int milliseconds) { return WaitUnlessInterrupted({}, milliseconds); }

} // namespace morlith::cli
