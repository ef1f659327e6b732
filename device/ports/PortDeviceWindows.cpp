// SPDX-License-Identifier: MIT
// Port devices on Windows: a COM port is its name; it is not opened to be compared, which would
// raise its modem lines.

#include "PortDevice.h"
#include "PathText.h"
#include "PortMap.h"

#include <filesystem>

namespace morlith {

bool SameDevice(const std::string &first, const std::string &second)
{
    const auto firstNumber = ComPortNumber(first);
    const auto secondNumber = ComPortNumber(second);
    if (firstNumber || secondNumber)
        return firstNumber == secondNumber;
    std::error_code error;
    return std::filesystem::equivalent(PathFromUtf8(first), PathFromUtf8(second), error) && !error;
}

} // namespace morlith
