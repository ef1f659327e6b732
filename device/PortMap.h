// SPDX-License-Identifier: MIT
#pragma once
// The port map: how a port name such as "COM3" becomes a device path.
//
// On Windows "COM<n>" is the device "\\.\COM<n>" and any other name is used as it stands. On Linux:
//  - a name starting with '/' is a device path and is used as it stands;
//  - "COM<n>" or "\\.\COM<n>" (any letter case) is looked up as the entry COM<n> of the port map
//    directory, normally a symbolic link to a device such as /dev/ttyUSB0;
//  - without such an entry, COM<n> is /dev/ttyS<n-1>.
// A port-map entry whose link target is a network address ("rfc2217://HOST:PORT",
// "socket://HOST:PORT") resolves to that address; so does an address given as the name itself.

#include <optional>
#include <string>
#include <vector>

namespace morlith {

// The highest COM number a port can have ("COM1" .. "COM255").
constexpr unsigned kMaxComNumber = 255;

// The port map directory: $XDG_CONFIG_HOME/morlith/ports, by default ~/.config/morlith/ports
// (Linux only).
std::string PortMapDirectory();

// The number n of a name "COM<n>" or "\\.\COM<n>" (any letter case, n >= 1), if it is one.
std::optional<unsigned> ComPortNumber(const std::string &name);

// The device path that a port name resolves to (the name itself when it is not a COM name).
std::string ResolvePortName(const std::string &name);

// The network address a symbolic link at `path` holds as its target, if it holds one.
std::optional<std::string> AddressBehind(const std::string &path);

// What a device path names in the end: the target of a symbolic link (a port-map entry), even
// one that points nowhere; the path itself otherwise.
std::string LinkTarget(const std::string &path);

// Every path a chain of symbolic links passes through from `path`: each link's target in turn,
// the last one whether or not something is there; empty when `path` is no link. A network
// address as a target ends the chain as it stands.
std::vector<std::string> LinkHops(const std::string &path);

} // namespace morlith
