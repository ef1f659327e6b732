// SPDX-License-Identifier: MIT
// The process's console on Linux: progress goes in place when standard error is a terminal.

#include "Console.h"

#include <unistd.h>

namespace morlith::cli {

TConsole &TConsole::Standard()
{
    static TConsole console(stdout, stderr, isatty(STDERR_FILENO) == 1);
    return console;
}

bool WriteText(std::FILE *stream, const std::string &text)
{
    return std::fwrite(text.data(), 1, text.size(), stream) == text.size();
}

} // namespace morlith::cli
