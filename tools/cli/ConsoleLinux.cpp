// The process's console on Linux: progress goes in place when standard error is a terminal.

#include "Console.h"

#include <unistd.h>

namespace morlith::cli {

TConsole &TConsole::Standard()
{
    static TConsole console(stdout, stderr, isatty(STDERR_FILENO) == 1);
    return console;
}

} // namespace morlith::cli
