// ports on Windows: the COM ports the system knows. A COM name is the port itself here, so there
// is no port map to change.

#include "PortsCommands.h"

#include "JsonLines.h"
#include "PortMap.h"
#include "Rejection.h"
#include "SessionReport.h"

#include <algorithm>
#include <vector>
#include <windows.h>

namespace morlith::cli {
namespace {

struct TComPort {
    unsigned Number = 0;
    std::string Name; // "COM3"
    std::string Device; // what the system maps it to: "\Device\Serial0"
};

// Every COM<n> among the system's device names, by number.
std::vector<TComPort> ListComPorts()
{
    std::vector<char> names(1 << 16);
    DWORD length = 0;
    while ((length = QueryDosDeviceA(nullptr, names.data(), DWORD(names.size()))) == 0 &&
           GetLastError() == ERROR_INSUFFICIENT_BUFFER && names.size() < (1u << 24))
        names.resize(names.size() * 2);
    std::vector<TComPort> ports;
    for (size_t at = 0; at < length && names[at] != '\0';) {
        const std::string name(names.data() + at);
        at += name.size() + 1;
        const auto number = ComPortNumber(name);
        if (!number || name != "COM" + std::to_string(*number))
            continue;
        char target[1024] = {};
        TComPort port;
        port.Number = *number;
        port.Name = name;
        if (QueryDosDeviceA(name.c_str(), target, sizeof target) != 0)
            port.Device = target;
        ports.push_back(port);
    }
    std::sort(ports.begin(), ports.end(), [](const TComPort &a, const TComPort &b) { return a.Number < b.Number; });
    return ports;
}

int RefuseMapChange(const TCliOptions &options, TConsole &console)
{
    return Reject(console, options.Json, kExitBadInput,
                  "there is no port map on Windows: give the port as COM<n>, the name Windows gives it");
}

} // namespace

int RunPortsList(const TCliOptions &options, TConsole &console)
{
    const auto ports = ListComPorts();
    if (options.Json) {
        for (const auto &port : ports)
            console.Out(TJsonObject("device").Text("device", port.Device).TextList("com", {port.Name}).Line());
        console.Out(TJsonObject("result").Text("command", "ports").Flag("ok", true).Number("status", 0).Line());
        return kExitSuccess;
    }
    if (options.Quiet)
        return kExitSuccess;
    console.Out("Serial ports:");
    if (ports.empty())
        console.Out("  (none found)");
    for (const auto &port : ports)
        console.Out("  " + port.Name + (port.Device.empty() ? "" : "  " + port.Device));
    return kExitSuccess;
}

int RunPortsMap(const TCliOptions &options, TConsole &console) { return RefuseMapChange(options, console); }

int RunPortsUnmap(const TCliOptions &options, TConsole &console) { return RefuseMapChange(options, console); }

} // namespace morlith::cli
