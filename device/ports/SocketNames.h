// SPDX-License-Identifier: MIT
#pragma once
// How station mode names its sockets: after the port ("COM3", "/dev/ttyUSB0"), or after the
// physical USB port the adapter is plugged into (udev's ID_PATH, "pci-0000:00:14.0-usb-0:3:1.0"),
// which stays the same whatever device name the kernel gives the adapter that day.

#include "PortWatcher.h"
#include "SocketNameMap.h"

#include <optional>
#include <string>

namespace morlith {

enum class TSocketNaming { snPort, snIdPath };

// The naming that `name` ("port", "id-path") stands for; nothing for another name.
std::optional<TSocketNaming> SocketNamingNamed(const std::string &name);

// udev's ID_PATH of the device node `device` (links followed); "" when udev knows none (a
// pseudo-terminal, a device server's line, no udev database).
std::string IdPathOf(const std::string &device);

// The name of the socket that `port` is in: under snIdPath its ID_PATH when it has one (or the
// short name `shortNames` gives that ID_PATH), else the port's own name.
std::string SocketName(const TWatchedPort &port, TSocketNaming naming, const TSocketNameMap &shortNames = {});

// The file of short socket names: "socket-names" in the user's configuration folder
// ($XDG_CONFIG_HOME/morlith/socket-names).
std::string SocketNameMapFile();

} // namespace morlith
