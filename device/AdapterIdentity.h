// SPDX-License-Identifier: MIT
#pragma once
// Who is behind a serial device: its device node, and for a USB adapter its /dev/serial/by-id
// name, vendor and product ids and serial number, read from /dev and sysfs alone (nothing is
// opened). On Windows only the device's name is known.

#include <filesystem>
#include <string>

namespace morlith {

// A serial device as the production log and the port lists name it.
struct TAdapterIdentity {
    // The device node the path finally reaches ("/dev/ttyUSB0"), or, when nothing is there, where
    // the path points.
    std::string Device;
    // The /dev/serial/by-id link that reaches the node; empty for other devices.
    std::string ById;
    // USB attributes; empty for other buses.
    std::string VendorId;
    std::string ProductId;
    std::string SerialNumber;
    std::string Manufacturer;
    std::string Product;
};

// Identifies the device that `path` (a device path or port-map entry) reaches.
TAdapterIdentity IdentifyAdapter(const std::string &path, const std::string &sysRoot = "/sys",
                                 const std::string &devRoot = "/dev");

// Fills the USB attributes of `identity` from the first USB device at or above the sysfs folder
// `device`; leaves them empty when there is none within a few levels (Linux only).
void ReadUsbAttributes(const std::filesystem::path &device, TAdapterIdentity &identity);

// The link under `devRoot`/serial/by-id that reaches the node named `nodeName` ("ttyUSB0"); empty
// when none does (Linux only).
std::string ByIdLinkTo(const std::string &nodeName, const std::string &devRoot = "/dev");

} // namespace morlith
