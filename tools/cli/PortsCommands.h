// SPDX-License-Identifier: MIT
#pragma once
// ports, ports map and ports unmap: the port map and the serial devices present (on Windows the
// COM ports the system knows; there is no port map to change).

#include "CliOptions.h"
#include "Console.h"

namespace morlith::cli {

// Lists the port map, then the serial devices present with the COM names that reach them.
int RunPortsList(const TCliOptions &options, TConsole &console);

// Adds COM<n> -> DEVICE to the port map (DEVICE: a device path, or the address of a line behind a
// device server, stored as the link's target text); an entry that points elsewhere is replaced
// only with --force.
int RunPortsMap(const TCliOptions &options, TConsole &console);

// Removes COM<n> from the port map.
int RunPortsUnmap(const TCliOptions &options, TConsole &console);

} // namespace morlith::cli
