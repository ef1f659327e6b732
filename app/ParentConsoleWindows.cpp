// SPDX-License-Identifier: MIT
#include "ParentConsole.h"

#include <cstdio>

#include <windows.h>

namespace morlith {
namespace {

bool LeadsNowhere(DWORD stream)
{
    const HANDLE handle = GetStdHandle(stream);
    return handle == nullptr || handle == INVALID_HANDLE_VALUE;
}

} // namespace

void UseParentConsole()
{
    const bool output = LeadsNowhere(STD_OUTPUT_HANDLE);
    const bool error = LeadsNowhere(STD_ERROR_HANDLE);
    if ((!output && !error) || !AttachConsole(ATTACH_PARENT_PROCESS))
        return;
    // Ctrl-C in that prompt is meant for the prompt, never for a window that may be writing.
    SetConsoleCtrlHandler(nullptr, TRUE);
    if (output)
        std::freopen("CONOUT$", "w", stdout);
    if (error)
        std::freopen("CONOUT$", "w", stderr);
}

} // namespace morlith
