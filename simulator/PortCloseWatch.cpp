#include "PortCloseWatch.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <sys/inotify.h>
#include <system_error>
#include <unistd.h>

namespace morlith {

TPortCloseWatch::TPortCloseWatch(const std::string &devicePath)
{
    FFd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (FFd < 0)
        throw std::system_error(errno, std::generic_category(), "inotify_init1");
    if (inotify_add_watch(FFd, devicePath.c_str(), IN_CLOSE_WRITE | IN_CLOSE_NOWRITE) < 0) {
        const int error = errno;
        close(FFd);
        throw std::system_error(error, std::generic_category(), "watching " + devicePath);
    }
}

TPortCloseWatch::~TPortCloseWatch()
{
    close(FFd);
}

bool TPortCloseWatch::TakeCloses()
{
    bool closed = false;
    alignas(inotify_event) char buffer[16 * (sizeof(inotify_event) + NAME_MAX + 1)];
    while (true) {
        const ssize_t n = read(FFd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return closed;
        for (ssize_t offset = 0; offset < n;) {
            inotify_event event;
            std::memcpy(&event, buffer + offset, sizeof event);
            if (event.mask & (IN_CLOSE_WRITE | IN_CLOSE_NOWRITE | IN_Q_OVERFLOW))
                closed = true;
            offset += ssize_t(sizeof event + event.len);
        }
    }
}

} // namespace morlith
