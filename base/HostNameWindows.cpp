// SPDX-License-Identifier: MIT
#include "HostName.h"

#include "WindowsText.h"

#include <windows.h>

namespace morlith {

std::string HostName()
{
    wchar_t name[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
    return GetComputerNameW(name, &size) ? Utf8FromWide(name, size) : std::string();
}

} // namespace morlith
