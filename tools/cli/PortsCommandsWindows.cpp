// SPDX-License-Identifier: MIT
// ports on Windows: the COM ports the system knows, with the device manager's name for each and,
// for USB adapters, their ids and serial number. A COM name is the port itself here, so there is
// no port map to change.

#include "PortsCommands.h"

#include "ComPortsWindows.h"
#include "JsonLines.h"
#include "Rejection.h"
#include "SessionReport.h"

namespace morlith::cli {
namespace {

int RefuseMapChange(const TCliOptions &options, TConsole &console)
{
    return Reject(console, options.Json, kExitBadInput,
                  "there is no port map on Windows: give the port as COM<n>, the name Windows gives it");
}

} // namespace

int RunPortsList(const TCliOptions &options, TConsole &console)
{
    const auto ports = SystemComPorts();
    if (options.Json) {
        for (const auto &port : ports)
            console.Out(JsonLine(JsonEvent("device", {{"device", port.Device},
                                                      {"description", port.FriendlyName},
                                                      {"vendor_id", port.VendorId},
                                                      {"product_id", port.ProductId},
                                                      {"serial", port.SerialNumber},
                                                      {"com", std::vector<std::string>{port.Name}}})));
        console.Out(JsonLine(JsonEvent("result", {{"command", "ports"}, {"ok", true}, {"status", 0}})));
        return kExitSuccess;
    }
    if (options.Quiet)
        return kExitSuccess;
    console.Out("Serial ports:");
    if (ports.empty())
        console.Out("  (none found)");
    for (const auto &port : ports) {
        std::string line = "  " + port.Name;
        if (!port.FriendlyName.empty())
            line += "  " + port.FriendlyName;
        if (!port.VendorId.empty())
            line += "  [" + port.VendorId + ":" + port.ProductId + "]";
        if (!port.SerialNumber.empty())
            line += "  serial " + port.SerialNumber;
        if (!port.Device.empty())
            line += "  " + port.Device;
        console.Out(line);
    }
    return kExitSuccess;
}

int RunPortsMap(const TCliOptions &options, TConsole &console) { return RefuseMapChange(options, console); }

int RunPortsUnmap(const TCliOptions &options, TConsole &console) { return RefuseMapChange(options, console); }

} // namespace morlith::cli
