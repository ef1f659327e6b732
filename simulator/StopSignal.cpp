// SPDX-License-Identifier: MIT
#include "StopSignal.h"

#include <algorithm>
#include <cerrno>
#include <poll.h>
#include <sys/eventfd.h>
#include <system_error>
#include <unistd.h>

namespace morlith {
namespace {

timespec ToTimespec(TStopSignal::TClock::duration duration)
{
    const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(
        std::max(duration, TStopSignal::TClock::duration::zero()));
    timespec ts{};
    ts.tv_sec = time_t(ns.count() / 1000000000);
    ts.tv_nsec = long(ns.count() % 1000000000);
    return ts;
}

} // namespace

TStopSignal::TStopSignal()
{
    FFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (FFd < 0)
        throw std::system_error(errno, std::generic_category(), "eventfd");
}

TStopSignal::~TStopSignal()
{
    close(FFd);
}

void TStopSignal::Raise()
{
    const uint64_t one = 1;
    // A full counter is already readable, so a failed write needs no retry.
    while (write(FFd, &one, sizeof one) < 0 && errno == EINTR) {
    }
}

bool TStopSignal::Raised() const
{
    pollfd entry{FFd, POLLIN, 0};
    while (true) {
        const int n = poll(&entry, 1, 0);
        if (n >= 0)
            return n > 0;
        if (errno != EINTR)
            return false;
    }
}

bool TStopSignal::SleepUntil(TClock::time_point deadline) const
{
    return WaitForFd(-1, 0, *this, &deadline) != -1;
}

int WaitForFds(pollfd *entries, int count, const TStopSignal &stop,
               const TStopSignal::TClock::time_point *deadline)
{
    if (count < 0 || count > kMaxWaitFds)
        return -1;
    pollfd all[kMaxWaitFds + 1] = {{stop.Fd(), POLLIN, 0}};
    std::copy(entries, entries + count, all + 1);
    while (true) {
        timespec remaining{};
        if (deadline)
            remaining = ToTimespec(*deadline - TStopSignal::TClock::now());
        const int n = ppoll(all, nfds_t(count + 1), deadline ? &remaining : nullptr, nullptr);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return -1;
        }
        if (all[0].revents)
            return -1;
        for (int i = 0; i < count; ++i)
            entries[i].revents = all[i + 1].revents;
        return n;
    }
}

int WaitForFd(int fd, short events, const TStopSignal &stop,
              const TStopSignal::TClock::time_point *deadline)
{
    pollfd entry{fd, events, 0};
    const int n = WaitForFds(&entry, fd >= 0 ? 1 : 0, stop, deadline);
    return n <= 0 ? n : entry.revents;
}

bool WriteAll(int fd, const uint8_t *data, size_t size, const TStopSignal &stop)
{
    while (size > 0) {
        const ssize_t n = write(fd, data, size);
        if (n > 0) {
            data += n;
            size -= size_t(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN)
            return false;
        const int events = WaitForFd(fd, POLLOUT, stop, nullptr);
        if (events < 0 || (events & (POLLERR | POLLNVAL)))
            return false;
    }
    return true;
}

} // namespace morlith
