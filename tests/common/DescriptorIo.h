// SPDX-License-Identifier: MIT
#pragma once
// Plain reads and writes on one end of a pseudo-terminal, for tests that play the far end of a
// line or the host without the serial driver: every wait is bounded.

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <vector>

#include <poll.h>
#include <unistd.h>

namespace morlith::test {

// Writes all of `bytes` to `fd`, waiting while it is full; false when the other end is gone.
inline bool WriteAll(int fd, const std::vector<uint8_t> &bytes)
{
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += size_t(n);
        } else if (n < 0 && errno == EAGAIN) {
            pollfd entry{fd, POLLOUT, 0};
            poll(&entry, 1, 100);
        } else if (!(n < 0 && errno == EINTR)) {
            return false;
        }
    }
    return true;
}

// Reads up to `count` bytes from `fd`, waiting at most `gapMs` for each next part; fewer when a
// gap ran out or the other end closed.
inline std::vector<uint8_t> ReadUpTo(int fd, size_t count, int gapMs)
{
    std::vector<uint8_t> bytes;
    uint8_t buffer[4096];
    while (bytes.size() < count) {
        pollfd entry{fd, POLLIN, 0};
        const int ready = poll(&entry, 1, gapMs);
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0 || !(entry.revents & POLLIN))
            break;
        const ssize_t n = read(fd, buffer, std::min(sizeof buffer, count - bytes.size()));
        if (n < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        if (n <= 0)
            break;
        bytes.insert(bytes.end(), buffer, buffer + n);
    }
    return bytes;
}

} // namespace morlith::test
