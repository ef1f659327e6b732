// SPDX-License-Identifier: MIT
#include "HostHangUpWatch.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <sys/inotify.h>
#include <system_error>
#include <unistd.h>

namespace morlith {

THostHangUpWatch::THostHangUpWatch(const std::string &devicePath)
{
    FFd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (FFd < 0)
        throw std::system_error(errno, std::generic_category(), "inotify_init1");
    if (inotify_add_watch(FFd, devicePath.c_str(), IN_OPEN | IN_CLOSE_WRITE | IN_CLOSE_NOWRITE) < 0) {
        const int error = errno;
        close(FFd);
        throw std::system_error(error, std::generic_category(), "watching " + devicePath);
    }
}

THostHangUpWatch::~THostHangUpWatch()
{
    close(FFd);
}

bool THostHangUpWatch::TakeHangUps()
{
    bool hungUp = false;
    alignas(inotify_event) char buffer[16 * (sizeof(inotify_event) + NAME_MAX + 1)];
    while (true) {
        const ssize_t n = read(FFd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return hungUp;
        for (ssize_t offset = 0; offset < n;) {
            inotify_event event;
            std::memcpy(&event, buffer + offset, sizeof event);
            offset += ssize_t(sizeof event + event.len);
            if (event.mask & IN_Q_OVERFLOW) {
                // The events in between are lost: take it as a hang-up and count afresh.
                FOpen = 0;
                hungUp = true;
            } else if (event.mask & IN_OPEN) {
                ++FOpen;
            } else if (event.mask & (IN_CLOSE_WRITE | IN_CLOSE_NOWRITE)) {
                // An open the count never saw (before an overflow) closes as a hang-up too.
                if (FOpen <= 1)
                    hungUp = true;
                FOpen = FOpen > 0 ? FOpen - 1 : 0;
            }
        }
    }
}

} // namespace morlith
