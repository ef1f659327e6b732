// SPDX-License-Identifier: MIT
#include "CommandLine.h"

#include "WindowsText.h"

#include <windows.h>
#include <shellapi.h>

namespace morlith::cli {

std::vector<std::string> CommandLineArguments(int argc, char **argv)
{
    int count = 0;
    wchar_t **wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!wide)
        return std::vector<std::string>(argv + 1, argv + argc);
    std::vector<std::string> arguments;
    for (int i = 1; i < count; ++i)
        arguments.push_back(Utf8FromWide(std::wstring(wide[i])));
    LocalFree(wide);
    return arguments;
}

} // namespace morlith::cli
