// SPDX-License-Identifier: MIT
#include "AdapterIdentity.h"

#include "PortMap.h"

#include <fstream>

namespace fs = std::filesystem;

namespace morlith {
namespace {

// How far up from a tty's device sysfs is searched for its USB device.
constexpr int kUsbSearchLevels = 4;

std::string ReadAttribute(const fs::path &folder, const char *name)
{
    std::ifstream file(folder / name);
    std::string value;
    std::getline(file, value);
    while (!value.empty() && (value.back() == ' ' || value.back() == '\n' || value.back() == '\r'))
        value.pop_back();
    return value;
}

} // namespace

void ReadUsbAttributes(const fs::path &device, TAdapterIdentity &identity)
{
    fs::path folder = device;
    for (int level = 0; level <= kUsbSearchLevels && !folder.empty(); ++level, folder = folder.parent_path()) {
        std::error_code error;
        if (!fs::exists(folder / "idVendor", error))
            continue;
        identity.VendorId = ReadAttribute(folder, "idVendor");
        identity.ProductId = ReadAttribute(folder, "idProduct");
        identity.SerialNumber = ReadAttribute(folder, "serial");
        identity.Manufacturer = ReadAttribute(folder, "manufacturer");
        identity.Product = ReadAttribute(folder, "product");
        return;
    }
}

std::string ByIdLinkTo(const std::string &nodeName, const std::string &devRoot)
{
    std::error_code error;
    for (const auto &entry : fs::directory_iterator(fs::path(devRoot) / "serial" / "by-id", error)) {
        std::error_code ignored;
        const fs::path target = fs::canonical(entry.path(), ignored);
        if (!ignored && target.filename() == nodeName)
            return entry.path().string();
    }
    return "";
}

TAdapterIdentity IdentifyAdapter(const std::string &path, const std::string &sysRoot, const std::string &devRoot)
{
    TAdapterIdentity identity;
    std::error_code error;
    const fs::path node = fs::canonical(path, error);
    if (error) {
        identity.Device = LinkTarget(path);
        return identity;
    }
    identity.Device = node.string();
    const std::string name = node.filename().string();
    const fs::path device = fs::canonical(fs::path(sysRoot) / "class" / "tty" / name / "device", error);
    if (error)
        return identity;
    ReadUsbAttributes(device, identity);
    identity.ById = ByIdLinkTo(name, devRoot);
    return identity;
}

} // namespace morlith
