#pragma once
// The device commands (connect, write-app, read-dseg, write-dseg): every argument and file is
// checked, then the command runs on every chosen port.

#include "CliOptions.h"
#include "Console.h"
#include "PortChoice.h"

namespace morlith::cli {

// Stands in a read-dseg file name for the port's name when several ports are read at once.
inline constexpr const char *kPortPlaceholder = "{port}";

// Runs a device command; returns the exit status.
int RunDeviceCommand(const TCliOptions &options, TConsole &console);

// `pattern` with every kPortPlaceholder replaced by a file-name form of the port's label
// ("COM3"; "dev_ttyUSB0" for /dev/ttyUSB0).
std::string FileForPort(const std::string &pattern, const TPortChoice &port);

} // namespace morlith::cli
