// SPDX-License-Identifier: MIT
#include "TerminalSize.h"

#include <sys/ioctl.h>
#include <unistd.h>

namespace morlith::cli {

unsigned TerminalColumns(std::FILE *stream)
{
    winsize size {};
    if (!stream || ::ioctl(fileno(stream), TIOCGWINSZ, &size) != 0)
        return 0;
    return size.ws_col;
}

bool IsTerminal(std::FILE *stream) { return stream && ::isatty(fileno(stream)) == 1; }

void UseBinaryMode(std::FILE *) {}

} // namespace morlith::cli
