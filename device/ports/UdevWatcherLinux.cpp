// SPDX-License-Identifier: MIT
// Serial devices as the system announces them, through libudev: a device is taken once udev has
// set it up (its node, permissions and /dev/serial/by-id links are in place).

#include "PortWatcher.h"

#include "AdapterIdentity.h"

#include <libudev.h>

namespace morlith {
namespace {

constexpr const char *kTtySubsystem = "tty";
constexpr const char *kByIdFolder = "/dev/serial/by-id/";

// A libudev object released when it goes.
template <class T, T *(*Release)(T *)>
struct TUdevRef {
    T *Object = nullptr;
    explicit TUdevRef(T *object = nullptr) : Object(object) {}
    ~TUdevRef()
    {
        if (Object)
            Release(Object);
    }
    TUdevRef(const TUdevRef &) = delete;
    TUdevRef &operator=(const TUdevRef &) = delete;
};

using TUdev = TUdevRef<udev, udev_unref>;
using TUdevMonitor = TUdevRef<udev_monitor, udev_monitor_unref>;
using TUdevDevice = TUdevRef<udev_device, udev_device_unref>;
using TUdevEnumerate = TUdevRef<udev_enumerate, udev_enumerate_unref>;

std::string Text(const char *value) { return value ? value : ""; }

// The /dev/serial/by-id links of a device: from udev's database, else from /dev itself.
std::vector<std::string> ByIdLinks(udev_device *device, const std::string &node)
{
    std::vector<std::string> links;
    udev_list_entry *entry;
    udev_list_entry_foreach(entry, udev_device_get_devlinks_list_entry(device))
    {
        const std::string link = Text(udev_list_entry_get_name(entry));
        if (link.rfind(kByIdFolder, 0) == 0)
            links.push_back(link);
    }
    if (links.empty()) {
        const std::string found = ByIdLinkTo(node.substr(node.rfind('/') + 1));
        if (!found.empty())
            links.push_back(found);
    }
    return links;
}

class TUdevWatcher : public TPortWatcher {
public:
    TUdevWatcher(TDeviceMatch match, std::string text) : FMatch(std::move(match)), FText(std::move(text)) {}

    std::string Start()
    {
        FUdev.Object = udev_new();
        if (!FUdev.Object)
            return "cannot follow the serial devices: libudev is not usable here";
        FMonitor.Object = udev_monitor_new_from_netlink(FUdev.Object, "udev");
        if (!FMonitor.Object || udev_monitor_filter_add_match_subsystem_devtype(FMonitor.Object, kTtySubsystem, nullptr) < 0 ||
            udev_monitor_enable_receiving(FMonitor.Object) < 0)
            return "cannot follow the serial devices: the system's device announcements cannot be received";
        return "";
    }

    int Fd() const override { return udev_monitor_get_fd(FMonitor.Object); }

    std::vector<std::string> TakeDepartures() override
    {
        std::vector<std::string> departed;
        for (;;) {
            TUdevDevice device(udev_monitor_receive_device(FMonitor.Object));
            if (!device.Object)
                return departed;
            if (Text(udev_device_get_action(device.Object)) == "remove")
                departed.push_back(Text(udev_device_get_devnode(device.Object)));
        }
    }

    std::vector<TWatchedPort> Present() override
    {
        std::vector<TWatchedPort> ports;
        TUdevEnumerate enumerate(udev_enumerate_new(FUdev.Object));
        if (!enumerate.Object)
            return ports;
        udev_enumerate_add_match_subsystem(enumerate.Object, kTtySubsystem);
        udev_enumerate_add_match_is_initialized(enumerate.Object);
        udev_enumerate_scan_devices(enumerate.Object);
        udev_list_entry *entry;
        udev_list_entry_foreach(entry, udev_enumerate_get_list_entry(enumerate.Object))
        {
            TUdevDevice device(udev_device_new_from_syspath(FUdev.Object, udev_list_entry_get_name(entry)));
            if (device.Object)
                Consider(device.Object, ports);
        }
        return ports;
    }

    std::string Description() const override { return "serial devices matching " + FText; }

private:
    void Consider(udev_device *device, std::vector<TWatchedPort> &ports) const
    {
        const std::string node = Text(udev_device_get_devnode(device));
        udev_device *usb = udev_device_get_parent_with_subsystem_devtype(device, "usb", "usb_device");
        if (node.empty() || !usb)
            return;
        const std::string vendor = Text(udev_device_get_sysattr_value(usb, "idVendor"));
        const std::string product = Text(udev_device_get_sysattr_value(usb, "idProduct"));
        if (!FMatch.Matches(vendor, product, ByIdLinks(device, node)))
            return;
        ports.push_back({node, TPortChoice{node, 0, node}, node});
    }

    TDeviceMatch FMatch;
    std::string FText;
    TUdev FUdev;
    TUdevMonitor FMonitor;
};

} // namespace

std::unique_ptr<TPortWatcher> WatchSerialDevices(const std::string &match, std::string &error)
{
    const TDeviceMatch parsed = ParseDeviceMatch(match, error);
    if (!error.empty())
        return nullptr;
    auto watcher = std::make_unique<TUdevWatcher>(parsed, match);
    error = watcher->Start();
    if (!error.empty())
        return nullptr;
    return watcher;
}

} // namespace morlith
