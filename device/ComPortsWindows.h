// SPDX-License-Identifier: MIT
#pragma once
// The COM ports Windows knows (Windows only): the names in the system's serial-port map (the
// registry's HARDWARE\DEVICEMAP\SERIALCOMM, which also lists ports Wine makes) and its DOS device
// names, with what the device manager says about each: its friendly name and, for a USB
// adapter, its vendor and product ids and serial number.

#include <optional>
#include <string>
#include <vector>

namespace morlith {

struct TComPortEntry {
    unsigned Number = 0;
    std::string Name; // "COM3"
    std::string Device; // the system's device behind it: "\Device\Serial0", "\Device\VCP0"
    std::string FriendlyName; // "USB Serial Port (COM3)"
    std::string VendorId; // "0403", lower case as on Linux
    std::string ProductId;
    std::string SerialNumber;
};

// Every COM port the system names now, by number.
std::vector<TComPortEntry> SystemComPorts();

// True when the system names COM<number> now: its serial-port map or a DOS device name. Cheaper
// than SystemComPort, which also asks the device manager.
bool SystemNamesComPort(unsigned number);

// The entry of COM<number> when the system names it now.
std::optional<TComPortEntry> SystemComPort(unsigned number);

// Fills the USB ids and serial number of `entry` from a device instance id:
// "USB\VID_0403&PID_6001\A1B2C3" or "FTDIBUS\VID_0403+PID_6001+A1B2C3A\0000". A USB instance
// id whose last part the system made up ("5&2A3B4C&0&1") carries no serial number.
void ReadInstanceId(const std::string &instanceId, TComPortEntry &entry);

} // namespace morlith
