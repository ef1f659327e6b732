// SPDX-License-Identifier: MIT
// Socket names from udev's database: the device node's number leads to its udev device, whose
// ID_PATH property names the physical port.

#include "SocketNames.h"

#include "XdgDirectories.h"

#include <libudev.h>
#include <memory>
#include <sys/stat.h>

namespace morlith {

std::optional<TSocketNaming> SocketNamingNamed(const std::string &name)
{
    if (name == "port")
        return TSocketNaming::snPort;
    if (name == "id-path")
        return TSocketNaming::snIdPath;
    return std::nullopt;
}

std::string IdPathOf(const std::string &device)
{
    struct stat node {};
    if (device.empty() || ::stat(device.c_str(), &node) != 0 || !S_ISCHR(node.st_mode))
        return "";
    const std::unique_ptr<udev, udev *(*)(udev *)> context(udev_new(), udev_unref);
    if (!context)
        return "";
    const std::unique_ptr<udev_device, udev_device *(*)(udev_device *)> found(
        udev_device_new_from_devnum(context.get(), 'c', node.st_rdev), udev_device_unref);
    if (!found)
        return "";
    const char *path = udev_device_get_property_value(found.get(), "ID_PATH");
    return path ? path : "";
}

std::string SocketName(const TWatchedPort &port, TSocketNaming naming, const TSocketNameMap &shortNames)
{
    if (naming == TSocketNaming::snIdPath) {
        const std::string idPath = IdPathOf(port.Device.empty() ? port.Port.DevicePath : port.Device);
        const auto shortName = shortNames.find(idPath);
        if (shortName != shortNames.end())
            return shortName->second;
        if (!idPath.empty())
            return idPath;
    }
    return port.Port.Label;
}

std::string SocketNameMapFile() { return XdgDirectory("XDG_CONFIG_HOME", ".config") + "/morlith/socket-names"; }

} // namespace morlith
