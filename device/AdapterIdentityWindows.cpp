// SPDX-License-Identifier: MIT
// What stands behind a port on Windows: the device's name ("\\.\COM3") and, for a USB adapter the
// device manager knows, its vendor and product ids and serial number.

#include "AdapterIdentity.h"
#include "ComPortsWindows.h"
#include "PortMap.h"

namespace morlith {

TAdapterIdentity IdentifyAdapter(const std::string &path, const std::string &, const std::string &)
{
    TAdapterIdentity identity;
    identity.Device = path;
    const auto number = ComPortNumber(path);
    if (const auto entry = number ? SystemComPort(*number) : std::nullopt) {
        identity.VendorId = entry->VendorId;
        identity.ProductId = entry->ProductId;
        identity.SerialNumber = entry->SerialNumber;
        identity.Product = entry->FriendlyName;
    }
    return identity;
}

} // namespace morlith
