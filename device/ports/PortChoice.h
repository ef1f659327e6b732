// SPDX-License-Identifier: MIT
#pragma once
// Which serial ports a device command runs on: "COM<n>", a bare number n meaning COM<n>, a
// device path or the address of a line behind a device server (rfc2217://HOST:PORT,
// socket://HOST:PORT); by default the port saved in the configuration file of the current
// directory.

#include <cstdint>
#include <string>
#include <vector>

namespace morlith {

// One port to work on.
struct TPortChoice {
    // How the user and every message name it: "COM3", the device path as given or the address.
    std::string Label;
    // n of "COM<n>"; 0 for a device path or an address.
    int32_t ComNumber = 0;
    // The device (or address) it reaches through the port map.
    std::string DevicePath;
};

// The ports chosen, or why the choice cannot be used.
struct TPortSelection {
    std::vector<TPortChoice> Ports;
    std::string Error;
};

// Stands in a read-dseg file name for the port's name when several ports are read at once.
inline constexpr const char *kPortPlaceholder = "{port}";

// `pattern` with every kPortPlaceholder replaced by a file-name form of the port's label
// ("COM3"; "dev_ttyUSB0" for /dev/ttyUSB0).
std::string FileForPort(const std::string &pattern, const TPortChoice &port);

// Parses one --port value; Error set when it is neither a COM name, a number nor a device path.
TPortSelection ParsePortArgument(const std::string &text);

// The ports for `arguments` (every --port value), or the configured port when there are none.
// No two may reach the same device; one whose device is missing is kept (its session says so).
TPortSelection ChoosePorts(const std::vector<std::string> &arguments);

// The port the configuration file in the current directory names: its Port plus one, COM1
// without a file.
TPortSelection ConfiguredPort();

} // namespace morlith
