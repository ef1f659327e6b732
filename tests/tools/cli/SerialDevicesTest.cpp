// SPDX-License-Identifier: MIT
// Serial devices and port-map entries read from a made-up sysfs and /dev tree.

#include "AdapterIdentity.h"
#include "ScratchFolder.h"
#include "SerialDevices.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace morlith::cli {
namespace {

class SerialDevices : public ::testing::Test {
protected:
    void SetUp() override
    {
        // A USB adapter: tty -> port device -> interface -> USB device with its attributes.
        const fs::path usb = FRoot / "sys/devices/pci0/usb1/1-1";
        const fs::path port = usb / "1-1:1.0/ttyUSB0";
        fs::create_directories(port);
        fs::create_directories(FRoot / "sys/bus/usb-serial/drivers/ftdi_sio");
        fs::create_directory_symlink(FRoot / "sys/bus/usb-serial", port / "subsystem");
        fs::create_directory_symlink(FRoot / "sys/bus/usb-serial/drivers/ftdi_sio", port / "driver");
        Attribute(usb / "idVendor", "0403");
        Attribute(usb / "idProduct", "6001");
        Attribute(usb / "serial", "A1B2C3");
        Attribute(usb / "manufacturer", "Acme");
        Attribute(usb / "product", "USB Serial");
        Tty("ttyUSB0", port);
        // A legacy port the platform driver registers without hardware, and a console without device.
        const fs::path legacy = FRoot / "sys/devices/platform/serial8250/tty/ttyS3";
        fs::create_directories(legacy);
        fs::create_directories(FRoot / "sys/bus/platform");
        fs::create_directory_symlink(FRoot / "sys/bus/platform", legacy / "subsystem");
        Tty("ttyS3", legacy);
        fs::create_directories(FRoot / "sys/class/tty/tty0");
        // /dev with the node and its stable link.
        fs::create_directories(FRoot / "dev/serial/by-id");
        Attribute(FRoot / "dev/ttyUSB0", "");
        fs::create_symlink("../../ttyUSB0", FRoot / "dev/serial/by-id/usb-Acme_USB_Serial-if00-port0");
    }
    void Attribute(const fs::path &path, const std::string &value) { std::ofstream(path) << value << "\n"; }
    void Tty(const std::string &name, const fs::path &device)
    {
        fs::create_directories(FRoot / "sys/class/tty" / name);
        fs::create_directory_symlink(device, FRoot / "sys/class/tty" / name / "device");
    }

    test::TScratchFolder FFolder{"morlith-sysfs-"};
    const fs::path FRoot = FFolder.Path();
};

TEST_F(SerialDevices, UsbAdapterWithItsAttributesAndStableLink)
{
    const auto devices = ListSerialDevices((FRoot / "sys").string(), (FRoot / "dev").string());
    ASSERT_EQ(devices.size(), 1u);
    const TSerialDevice &device = devices.front();
    EXPECT_EQ(device.DevicePath, (FRoot / "dev/ttyUSB0").string());
    EXPECT_EQ(device.Driver, "ftdi_sio");
    EXPECT_EQ(device.VendorId, "0403");
    EXPECT_EQ(device.ProductId, "6001");
    EXPECT_EQ(device.Serial, "A1B2C3");
    EXPECT_EQ(device.Description(), "Acme USB Serial");
    EXPECT_EQ(device.ById, (FRoot / "dev/serial/by-id/usb-Acme_USB_Serial-if00-port0").string());
}

TEST_F(SerialDevices, PortMapEntriesByNumberAndTheNamesThatReachADevice)
{
    const fs::path map = FRoot / "ports";
    fs::create_directories(map);
    fs::create_symlink(FRoot / "dev/serial/by-id/usb-Acme_USB_Serial-if00-port0", map / "COM10");
    fs::create_symlink(FRoot / "dev/ttyUSB9", map / "COM2");
    fs::create_symlink(FRoot / "dev/ttyUSB0", map / "com3");
    Attribute(map / "notes.txt", "x");
    const auto entries = ReadPortMap(map.string());
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].Name, "COM2");
    EXPECT_TRUE(entries[0].Device.empty());
    EXPECT_EQ(entries[1].Name, "COM10");
    EXPECT_EQ(entries[1].Device, (FRoot / "dev/ttyUSB0").string());

    const auto devices = ListSerialDevices((FRoot / "sys").string(), (FRoot / "dev").string());
    EXPECT_EQ(ComNamesFor(devices.at(0), entries), std::vector<std::string>{"COM10"});
    TSerialDevice legacy;
    legacy.Name = "ttyS0";
    legacy.DevicePath = "/dev/ttyS0";
    EXPECT_EQ(ComNamesFor(legacy, entries), std::vector<std::string>{"COM1"});
    legacy.Name = "ttyS1"; // COM2 is taken by a map entry
    EXPECT_TRUE(ComNamesFor(legacy, entries).empty());
}

TEST_F(SerialDevices, APortMapEntryIsTracedToItsAdapterForTheProductionLog)
{
    const fs::path entry = FRoot / "COM3";
    fs::create_symlink(FRoot / "dev/serial/by-id/usb-Acme_USB_Serial-if00-port0", entry);
    const TAdapterIdentity identity = IdentifyAdapter(entry.string(), (FRoot / "sys").string(), (FRoot / "dev").string());
    EXPECT_EQ(identity.Device, (FRoot / "dev/ttyUSB0").string());
    EXPECT_EQ(identity.ById, (FRoot / "dev/serial/by-id/usb-Acme_USB_Serial-if00-port0").string());
    EXPECT_EQ(identity.SerialNumber, "A1B2C3");
    EXPECT_EQ(identity.VendorId, "0403");

    // An unplugged adapter: where the entry points, and nothing more.
    fs::create_symlink(FRoot / "dev/serial/by-id/usb-Gone-if00-port0", FRoot / "COM4");
    const TAdapterIdentity gone =
        IdentifyAdapter((FRoot / "COM4").string(), (FRoot / "sys").string(), (FRoot / "dev").string());
    EXPECT_EQ(gone.Device, (FRoot / "dev/serial/by-id/usb-Gone-if00-port0").string());
    EXPECT_TRUE(gone.ById.empty() && gone.SerialNumber.empty());
}

} // namespace
} // namespace morlith::cli
