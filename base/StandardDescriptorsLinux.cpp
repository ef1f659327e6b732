// SPDX-License-Identifier: MIT
#include "StandardDescriptors.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace morlith {

unsigned EnsureStandardDescriptors()
{
    unsigned opened = 0;
    for (int fd = 0; fd <= 2; ++fd) {
        if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF)
            continue;
        opened |= 1u << fd;
        // open returns the lowest free number: this one, since the ones below are open.
        const int null = ::open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
        if (null >= 0 && null != fd)
            ::close(null);
    }
    return opened;
}

} // namespace morlith
