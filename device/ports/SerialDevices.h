// SPDX-License-Identifier: MIT
#pragma once
// The serial devices present and the port map's entries, read from sysfs, /dev and the map
// directory alone: no port is opened to list it.

#include <string>
#include <vector>

namespace morlith {

// One serial device the kernel knows.
struct TSerialDevice {
    std::string Name; // "ttyUSB0"
    std::string DevicePath; // "/dev/ttyUSB0"
    std::string Driver; // "ftdi_sio"
    std::string Subsystem; // "usb-serial", "usb", "pnp", "platform"
    // USB attributes found up the device path; empty for other buses.
    std::string VendorId;
    std::string ProductId;
    std::string Serial;
    std::string Manufacturer;
    std::string Product;
    // The /dev/serial/by-id link that points to it, if any.
    std::string ById;

    // Words for the device: "Example USB Serial" or its driver.
    std::string Description() const;
};

// Every tty with a device behind it under `sysRoot`/class/tty, with its device node under
// `devRoot`; the idle legacy serial ports the platform driver registers are left out.
std::vector<TSerialDevice> ListSerialDevices(const std::string &sysRoot = "/sys", const std::string &devRoot = "/dev");

// One entry of the port map.
struct TPortMapEntry {
    unsigned Number = 0; // n of COM<n>
    std::string Name; // "COM3"
    std::string Target; // where the link points, as written
    // The device it finally reaches, or the address it names; empty when nothing is there.
    std::string Device;
};

// The COM<n> entries of the port map directory `folder`, by number.
std::vector<TPortMapEntry> ReadPortMap(const std::string &folder);

// The COM names that reach `device` (a /dev path): map entries pointing to it, and COM<n+1> for
// ttyS<n> when no entry takes that name.
std::vector<std::string> ComNamesFor(const TSerialDevice &device, const std::vector<TPortMapEntry> &map);

} // namespace morlith
