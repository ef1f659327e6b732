// SPDX-License-Identifier: MIT
#include "TerminalSize.h"

#include <sys/ioctl.h>
#include <unistd.h>

namespace morlith::cli {

namespace {

winsize TerminalSize(std::FILE *stream)
{
    winsize size {};
    if (!stream || ::ioctl(fileno(stream), TIOCGWINSZ, &size) != 0)
        return winsize{};
    return size;
}

} // namespace

unsigned TerminalColumns(std::FILE *stream) { return TerminalSize(stream).ws_col; }

unsigned TerminalRows(std::FILE *stream) { return TerminalSize(stream).ws_row; }

bool IsTerminal(std::FILE *stream) { return stream && ::isatty(fileno(stream)) == 1; }

void UseBinaryMode(std::FILE *) {}

} // namespace morlith::cli
