// SPDX-License-Identifier: MIT
#include "CounterShare.h"

#include "WindowsText.h"

#include <windows.h>

namespace morlith {

std::string NetworkFileSystemNamed(unsigned long) { return ""; }

std::string NetworkFileSystemOf(const std::string &path)
{
    const std::wstring wide = WideFromUtf8(path);
    wchar_t volume[MAX_PATH + 1] = {};
    if (!::GetVolumePathNameW(wide.c_str(), volume, MAX_PATH))
        return wide.rfind(L"\\\\", 0) == 0 ? "a network share" : "";
    return ::GetDriveTypeW(volume) == DRIVE_REMOTE ? "a network drive" : "";
}

} // namespace morlith
