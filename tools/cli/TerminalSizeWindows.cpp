// SPDX-License-Identifier: MIT
#include "TerminalSize.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

namespace morlith::cli {

unsigned TerminalColumns(std::FILE *stream)
{
    CONSOLE_SCREEN_BUFFER_INFO info{};
    if (!stream)
        return 0;
    const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
    if (handle == INVALID_HANDLE_VALUE || !GetConsoleScreenBufferInfo(handle, &info))
        return 0;
    return unsigned(info.srWindow.Right - info.srWindow.Left + 1);
}

bool IsTerminal(std::FILE *stream) { return stream && _isatty(_fileno(stream)) != 0; }

void UseBinaryMode(std::FILE *stream)
{
    if (stream)
        _setmode(_fileno(stream), _O_BINARY);
}

} // namespace morlith::cli
