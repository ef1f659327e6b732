// SPDX-License-Identifier: MIT
// Port names on Windows: "COM<n>" is the device "\\.\COM<n>" itself.

#include "PortMap.h"

namespace morlith {

std::string ResolvePortName(const std::string &name)
{
    const auto n = ComPortNumber(name);
    return n ? "\\\\.\\COM" + std::to_string(*n) : name;
}

} // namespace morlith
