// SPDX-License-Identifier: MIT
#include "SerialDevices.h"

#include "AdapterIdentity.h"
#include "PortAddress.h"
#include "PortMap.h"

#include <algorithm>
#include <filesystem>

namespace fs = std::filesystem;

namespace morlith {
namespace {

// How far up from a tty's device sysfs is searched for its USB device.
constexpr int kUsbSearchLevels = 4;
constexpr const char *kLegacySerialPrefix = "ttyS";
constexpr const char *kPortLayerSubsystem = "serial-base";

std::string LinkName(const fs::path &link)
{
    std::error_code error;
    const fs::path target = fs::canonical(link, error);
    return error ? "" : target.filename().string();
}

// The device that carries the port: above the port and controller nodes that newer kernels put
// between a UART and its tty.
fs::path HardwareDevice(fs::path device)
{
    for (int level = 0; level < kUsbSearchLevels && LinkName(device / "subsystem") == kPortLayerSubsystem; ++level)
        device = device.parent_path();
    return device;
}

} // namespace

std::string TSerialDevice::Description() const
{
    std::string words = Manufacturer;
    if (!Product.empty())
        words += (words.empty() ? "" : " ") + Product;
    if (words.empty())
        words = Driver.empty() ? Subsystem : Driver;
    return words;
}

std::vector<TSerialDevice> ListSerialDevices(const std::string &sysRoot, const std::string &devRoot)
{
    std::vector<TSerialDevice> devices;
    std::error_code error;
    for (const auto &entry : fs::directory_iterator(fs::path(sysRoot) / "class" / "tty", error)) {
        const fs::path deviceLink = entry.path() / "device";
        std::error_code ignored;
        const fs::path portNode = fs::canonical(deviceLink, ignored);
        if (ignored)
            continue;
        const fs::path device = HardwareDevice(portNode);
        TSerialDevice serial;
        serial.Name = entry.path().filename().string();
        serial.Subsystem = LinkName(device / "subsystem");
        // The legacy driver registers ttyS ports whether or not a UART is there.
        if (serial.Subsystem == "platform" && serial.Name.rfind(kLegacySerialPrefix, 0) == 0)
            continue;
        serial.DevicePath = (fs::path(devRoot) / serial.Name).string();
        serial.Driver = LinkName(device / "driver");
        TAdapterIdentity usb;
        ReadUsbAttributes(device, usb);
        serial.VendorId = usb.VendorId;
        serial.ProductId = usb.ProductId;
        serial.Serial = usb.SerialNumber;
        serial.Manufacturer = usb.Manufacturer;
        serial.Product = usb.Product;
        serial.ById = ByIdLinkTo(serial.Name, devRoot);
        devices.push_back(serial);
    }
    std::sort(devices.begin(), devices.end(),
              [](const TSerialDevice &a, const TSerialDevice &b) { return a.Name < b.Name; });
    return devices;
}

std::vector<TPortMapEntry> ReadPortMap(const std::string &folder)
{
    std::vector<TPortMapEntry> entries;
    std::error_code error;
    for (const auto &item : fs::directory_iterator(folder, error)) {
        const std::string name = item.path().filename().string();
        const auto number = ComPortNumber(name);
        if (!number || name != "COM" + std::to_string(*number))
            continue;
        TPortMapEntry entry;
        entry.Number = *number;
        entry.Name = name;
        std::error_code ignored;
        entry.Target = fs::is_symlink(item.path(), ignored) ? fs::read_symlink(item.path(), ignored).string()
                                                            : item.path().string();
        const fs::path device = fs::canonical(item.path(), ignored);
        entry.Device = ignored ? "" : device.string();
        // An entry naming a device server's line reaches that address; nothing to look for here.
        if (IsPortAddress(entry.Target))
            entry.Device = entry.Target;
        entries.push_back(entry);
    }
    std::sort(entries.begin(), entries.end(),
              [](const TPortMapEntry &a, const TPortMapEntry &b) { return a.Number < b.Number; });
    return entries;
}

std::vector<std::string> ComNamesFor(const TSerialDevice &device, const std::vector<TPortMapEntry> &map)
{
    std::vector<std::string> names;
    std::error_code ignored;
    const fs::path node = fs::canonical(device.DevicePath, ignored);
    const std::string nodeName = ignored ? device.DevicePath : node.string();
    for (const auto &entry : map)
        if (!entry.Device.empty() && entry.Device == nodeName)
            names.push_back(entry.Name);
    if (device.Name.rfind(kLegacySerialPrefix, 0) == 0) {
        const std::string digits = device.Name.substr(4);
        if (!digits.empty() && digits.size() < 4 && digits.find_first_not_of("0123456789") == std::string::npos) {
            const std::string name = "COM" + std::to_string(std::stoul(digits) + 1);
            const bool taken = std::any_of(map.begin(), map.end(), [&](const TPortMapEntry &e) { return e.Name == name; });
            if (!taken)
                names.push_back(name);
        }
    }
    return names;
}

} // namespace morlith
