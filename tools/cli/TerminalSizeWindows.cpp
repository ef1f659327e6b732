// SPDX-License-Identifier: MIT
#include "TerminalSize.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

namespace morlith::cli {

namespace {

// The visible window of the console `stream` writes to; false when it is no console.
bool ConsoleWindow(std::FILE *stream, SMALL_RECT &window)
{
    CONSOLE_SCREEN_BUFFER_INFO info{};
    if (!stream)
        return false;
    const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
    if (handle == INVALID_HANDLE_VALUE || !GetConsoleScreenBufferInfo(handle, &info))
        return false;
    window = info.srWindow;
    return true;
}

} // namespace

unsigned TerminalColumns(std::FILE *stream)
{
    SMALL_RECT window{};
    return ConsoleWindow(stream, window) ? unsigned(window.Right - window.Left + 1) : 0;
}

unsigned TerminalRows(std::FILE *stream)
{
    SMALL_RECT window{};
    return ConsoleWindow(stream, window) ? unsigned(window.Bottom - window.Top + 1) : 0;
}

bool IsTerminal(std::FILE *stream) { return stream && _isatty(_fileno(stream)) != 0; }

void UseBinaryMode(std::FILE *stream)
{
    if (stream)
        _setmode(_fileno(stream), _O_BINARY);
}

} // namespace morlith::cli
