// The process's console on Windows: progress goes in place when standard error is a console that
// understands the terminal sequences the progress line uses; elsewhere it comes as plain lines.

#include "Console.h"

#include <windows.h>

namespace morlith::cli {
namespace {

bool ErrorConsoleTakesSequences()
{
    const HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
    DWORD mode = 0;
    if (error == INVALID_HANDLE_VALUE || error == nullptr || !GetConsoleMode(error, &mode))
        return false;
    return (mode & ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0 ||
           SetConsoleMode(error, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0;
}

} // namespace

TConsole &TConsole::Standard()
{
    static TConsole console(stdout, stderr, ErrorConsoleTakesSequences());
    return console;
}

} // namespace morlith::cli
