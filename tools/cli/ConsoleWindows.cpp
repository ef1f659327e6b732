// SPDX-License-Identifier: MIT
// The process's console on Windows: progress goes in place when standard error is a console that
// understands the terminal sequences the progress line uses; elsewhere it comes as plain lines.
// Text reaches a console as UTF-16, so that every name shows whatever its code page; files and
// pipes get the UTF-8 bytes.

#include "Console.h"

#include "WindowsText.h"

#include <algorithm>
#include <io.h>
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

// The console behind `stream`, or nullptr when it goes to a file or a pipe.
HANDLE ConsoleOf(std::FILE *stream)
{
    const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
    DWORD mode = 0;
    return handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode) ? handle : nullptr;
}

} // namespace

TConsole &TConsole::Standard()
{
    static TConsole console(stdout, stderr, ErrorConsoleTakesSequences());
    return console;
}

bool WriteText(std::FILE *stream, const std::string &text)
{
    const HANDLE console = ConsoleOf(stream);
    if (!console)
        return std::fwrite(text.data(), 1, text.size(), stream) == text.size();
    // What the stream holds goes first, so that the order stays.
    std::fflush(stream);
    const std::wstring wide = WideFromUtf8(text);
    for (size_t at = 0; at < wide.size();) {
        DWORD written = 0;
        const DWORD ask = DWORD(std::min<size_t>(wide.size() - at, 8192));
        if (!WriteConsoleW(console, wide.data() + at, ask, &written, nullptr) || written == 0)
            return false;
        at += written;
    }
    return true;
}

} // namespace morlith::cli
