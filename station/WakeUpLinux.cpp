// SPDX-License-Identifier: MIT
// A wake-up on POSIX: a non-blocking pipe that Notify writes to and Drain empties.

#include "WakeUp.h"

#include <fcntl.h>
#include <unistd.h>

namespace morlith {

TWakeUp::TWakeUp()
{
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC | O_NONBLOCK) == 0) {
        FRead = ends[0];
        FWrite = ends[1];
    }
}

TWakeUp::~TWakeUp()
{
    if (FRead >= 0)
        ::close(FRead);
    if (FWrite >= 0)
        ::close(FWrite);
}

void TWakeUp::Notify()
{
    const char byte = 1;
    // A full pipe is already readable: nothing is lost.
    (void)!::write(FWrite, &byte, 1);
}

void TWakeUp::Drain()
{
    char buffer[64];
    while (::read(FRead, buffer, sizeof buffer) > 0) {
    }
}

} // namespace morlith
