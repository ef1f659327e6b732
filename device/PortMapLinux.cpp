// SPDX-License-Identifier: MIT
// Port names on Linux: the port map directory and its fallback to /dev/ttyS<n-1>. An entry may
// also be a link whose target is the text of a network address ("rfc2217://10.1.2.3:4001").

#include "PortMap.h"
#include "XdgDirectories.h"

#include <sys/stat.h>

namespace morlith {

std::string PortMapDirectory() { return XdgDirectory("XDG_CONFIG_HOME", ".config") + "/morlith/ports"; }

std::string ResolvePortName(const std::string &name)
{
    if (!name.empty() && name[0] == '/')
        return AddressBehind(name).value_or(name);
    const auto n = ComPortNumber(name);
    if (!n)
        return name;
    const std::string entry = PortMapDirectory() + "/COM" + std::to_string(*n);
    struct stat st{};
    if (lstat(entry.c_str(), &st) == 0)
        return AddressBehind(entry).value_or(entry);
    return "/dev/ttyS" + std::to_string(*n - 1);
}

} // namespace morlith
