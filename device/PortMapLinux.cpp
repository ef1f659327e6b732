// Port names on Linux: the port map directory and its fallback to /dev/ttyS<n-1>.

#include "PortMap.h"

#include <cstdlib>
#include <sys/stat.h>

namespace morlith {

std::string PortMapDirectory()
{
    const char *xdg = std::getenv("XDG_CONFIG_HOME");
    std::string base;
    if (xdg && *xdg == '/') {
        base = xdg;
    } else {
        const char *home = std::getenv("HOME");
        base = std::string(home && *home ? home : "/") + "/.config";
    }
    return base + "/morlith/ports";
}

std::string ResolvePortName(const std::string &name)
{
    if (!name.empty() && name[0] == '/')
        return name;
    const auto n = ComPortNumber(name);
    if (!n)
        return name;
    const std::string entry = PortMapDirectory() + "/COM" + std::to_string(*n);
    struct stat st{};
    if (lstat(entry.c_str(), &st) == 0)
        return entry;
    return "/dev/ttyS" + std::to_string(*n - 1);
}

} // namespace morlith
