// SPDX-License-Identifier: MIT
#include "PortsCommands.h"

#include "FileHandle.h"
#include "JsonLines.h"
#include "PortAddress.h"
#include "PortMap.h"
#include "Rejection.h"
#include "SerialDevices.h"
#include "SessionReport.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <unistd.h>

namespace fs = std::filesystem;

namespace morlith::cli {
namespace {

std::string Joined(const std::vector<std::string> &words)
{
    std::string text;
    for (const auto &word : words)
        text += (text.empty() ? "" : ", ") + word;
    return text;
}

void PrintPortMap(const std::string &folder, const std::vector<TPortMapEntry> &map, TConsole &console)
{
    console.Out("Port map " + folder + ":");
    if (map.empty())
        console.Out("  (no entries)");
    for (const auto &entry : map) {
        std::string line = "  " + entry.Name + " -> " + entry.Target;
        if (entry.Device.empty())
            line += "  (missing)";
        else if (entry.Device != entry.Target)
            line += "  (" + entry.Device + ")";
        console.Out(line);
    }
}

void PrintDevice(const TSerialDevice &device, const std::vector<std::string> &names, TConsole &console)
{
    std::string line = "  " + device.DevicePath + "  " + device.Description();
    if (!device.VendorId.empty())
        line += "  [" + device.VendorId + ":" + device.ProductId + "]";
    if (!device.Serial.empty())
        line += "  serial " + device.Serial;
    line += names.empty() ? "  (no COM name)" : "  = " + Joined(names);
    console.Out(line);
    if (!device.ById.empty())
        console.Out("      " + device.ById);
}

TJson DeviceObject(const TSerialDevice &device, const std::vector<std::string> &names)
{
    return JsonEvent("device", {{"device", device.DevicePath},
                                {"description", device.Description()},
                                {"driver", device.Driver},
                                {"vendor_id", device.VendorId},
                                {"product_id", device.ProductId},
                                {"serial", device.Serial},
                                {"by_id", device.ById},
                                {"com", names}});
}

// The map entry named by a ports map/unmap argument, or the problem.
std::string EntryPath(const std::string &name, std::string &path)
{
    const auto number = ComPortNumber(name);
    if (!number || *number > kMaxComNumber)
        return "\"" + name + "\" is not a port name COM1 .. COM" + std::to_string(kMaxComNumber);
    path = PortMapDirectory() + "/COM" + std::to_string(*number);
    return "";
}

} // namespace

int RunPortsList(const TCliOptions &options, TConsole &console)
{
    const std::string folder = PortMapDirectory();
    const auto map = ReadPortMap(folder);
    const auto devices = ListSerialDevices();
    if (options.Json) {
        for (const auto &entry : map)
            console.Out(JsonLine(JsonEvent("port", {{"name", entry.Name},
                                                    {"target", entry.Target},
                                                    {"device", entry.Device},
                                                    {"exists", !entry.Device.empty()}})));
        for (const auto &device : devices)
            console.Out(JsonLine(DeviceObject(device, ComNamesFor(device, map))));
        console.Out(JsonLine(JsonEvent("result", {{"command", "ports"}, {"ok", true}, {"status", 0}})));
        return kExitSuccess;
    }
    if (options.Quiet)
        return kExitSuccess;
    PrintPortMap(folder, map, console);
    console.Out("Serial devices:");
    if (devices.empty())
        console.Out("  (none found)");
    for (const auto &device : devices)
        PrintDevice(device, ComNamesFor(device, map), console);
    return kExitSuccess;
}

int RunPortsMap(const TCliOptions &options, TConsole &console)
{
    std::string entry;
    std::string problem = EntryPath(options.Arguments[0], entry);
    std::string device = options.Arguments[1];
    const bool address = IsPortAddress(device);
    if (problem.empty() && address) {
        // The link's target is the address text itself, written the one way it is read back.
        const auto parsed = ParsePortAddress(device, &problem);
        if (parsed)
            device = parsed->Text();
    } else if (problem.empty() && (device.empty() || device[0] != '/')) {
        problem = "\"" + device + "\": give the device as an absolute path, such as /dev/ttyUSB0, or an address "
                  "rfc2217://HOST:PORT or socket://HOST:PORT";
    }
    std::error_code error;
    const auto status = fs::symlink_status(entry, error);
    const bool present = !error && fs::exists(status);
    if (problem.empty() && present && !fs::is_symlink(status))
        problem = entry + " is not a link; remove it by hand if it is not needed";
    if (problem.empty() && present && fs::read_symlink(entry, error) != device && !options.Force)
        problem = entry + " already points to " + fs::read_symlink(entry, error).string() + "; give --force to replace it";
    if (!problem.empty())
        return Reject(console, options.Json, kExitBadInput, problem);
    fs::create_directories(PortMapDirectory(), error);
    // A link made aside and renamed into place: the entry is never missing or half made.
    const std::string aside = entry + ".new-" + std::to_string(::getpid());
    ::unlink(aside.c_str());
    // The folder is flushed after the rename, so that the entry outlasts a power cut. A failure
    // is the file's, whatever the system's error.
    int err = 0;
    if (::symlink(device.c_str(), aside.c_str()) != 0 || ::rename(aside.c_str(), entry.c_str()) != 0) {
        err = errno;
        ::unlink(aside.c_str());
    } else {
        err = FlushFolder(PortMapDirectory());
    }
    if (err != 0)
        return Reject(console, options.Json, kExitFailed, FileFailure(err, "map", entry, "mapping the port"));
    std::string note;
    if (address && ParsePortAddress(device)->Scheme == TAddressScheme::Socket)
        note = " (raw TCP: the line settings are the server's)";
    else if (!address && !fs::exists(device, error))
        note = " (" + device + " is not there now)";
    const std::string name = fs::path(entry).filename().string();
    if (options.Json)
        console.Out(JsonLine(JsonEvent(
            "result", {{"command", "ports map"}, {"name", name}, {"device", device}, {"ok", true}, {"status", 0}})));
    else if (!options.Quiet)
        console.Out(name + " -> " + device + note);
    return kExitSuccess;
}

int RunPortsUnmap(const TCliOptions &options, TConsole &console)
{
    std::string entry;
    std::string problem = EntryPath(options.Arguments[0], entry);
    std::error_code error;
    const auto status = fs::symlink_status(entry, error);
    if (problem.empty() && (error || !fs::exists(status)))
        problem = fs::path(entry).filename().string() + " is not in the port map " + PortMapDirectory();
    else if (problem.empty() && !fs::is_symlink(status))
        problem = entry + " is not a link; remove it by hand if it is not needed";
    if (!problem.empty())
        return Reject(console, options.Json, kExitBadInput, problem);
    const int err = ::unlink(entry.c_str()) != 0 ? errno : FlushFolder(PortMapDirectory());
    if (err != 0)
        return Reject(console, options.Json, kExitFailed, FileFailure(err, "unmap", entry, "unmapping the port"));
    const std::string name = fs::path(entry).filename().string();
    if (options.Json)
        console.Out(JsonLine(JsonEvent("result", {{"command", "ports unmap"}, {"name", name}, {"ok", true}, {"status", 0}})));
    else if (!options.Quiet)
        console.Out(name + " removed from the port map");
    return kExitSuccess;
}

} // namespace morlith::cli
