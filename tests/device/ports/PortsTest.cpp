// SPDX-License-Identifier: MIT
// The ports a command names, the serial devices and port-map entries read from a made-up sysfs
// and /dev tree, and the devices --match chooses.

#include "AdapterIdentity.h"
#include "ScratchFolder.h"
#include "PortChoice.h"
#include "PortWait.h"
#include "PortWatcher.h"
#include "SerialDevices.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <poll.h>
#include <thread>

namespace fs = std::filesystem;

namespace morlith {
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

TEST(PortFiles, PlaceholderBecomesAFileNameFormOfThePort)
{
    EXPECT_EQ(FileForPort("dump-{port}.bin", TPortChoice{"COM3", 3, "/dev/ttyS2"}), "dump-COM3.bin");
    EXPECT_EQ(FileForPort("{port}/{port}.bin", TPortChoice{"/dev/ttyUSB0", 0, "/dev/ttyUSB0"}),
              "dev_ttyUSB0/dev_ttyUSB0.bin");
}

TEST(PortArguments, AcceptComNamesNumbersAndPathsOnly)
{
    EXPECT_EQ(ParsePortArgument("com12").Ports.at(0).Label, "COM12");
    EXPECT_EQ(ParsePortArgument("12").Ports.at(0).ComNumber, 12);
    EXPECT_EQ(ParsePortArgument("/dev/pts/3").Ports.at(0).DevicePath, "/dev/pts/3");
    for (const char *bad : {"COM0", "COM256", "256", "0", "ttyUSB0", "COM", "-1"})
        EXPECT_FALSE(ParsePortArgument(bad).Error.empty()) << bad;
}

// The wait for ports not there yet: a device made meanwhile ends it (told once what it waits for),
// so do the time limit and a stop, and ports already there are not waited for.
TEST(PortWait, EndsWhenThePortsAreThereOrTheTimeRunsOutOrAStopComes)
{
    test::TScratchFolder folder{"morlith-wait-"};
    const std::string early = folder.File("early"), late = folder.File("late"), never = folder.File("never");
    std::ofstream(early) << "";
    const struct {
        const char *Name;
        std::vector<std::string> Paths;
        uint32_t Seconds;
        bool Stop; // the wait says a stop was requested
        bool There;
        std::string Told;
    } cases[] = {
        {"already there", {early}, 5, false, true, ""},
        {"made meanwhile", {early, late}, 5, false, true, late},
        {"never made", {never}, 1, false, false, never},
        {"stopped", {never, late}, 60, true, false, never + ", " + late},
    };
    for (const auto &item : cases) {
        fs::remove(late);
        std::vector<TPortChoice> ports;
        for (const std::string &path : item.Paths)
            ports.push_back(TPortChoice{path, 0, path});
        int waits = 0;
        const TStoppableWait wait = [&](const std::vector<int> &fds, int ms) {
            ++waits;
            std::vector<pollfd> entries;
            for (const int fd : fds)
                entries.push_back({fd, POLLIN, 0});
            ::poll(entries.data(), entries.size(), ms);
            return !item.Stop;
        };
        std::string told;
        std::thread maker([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            if (std::string(item.Name) == "made meanwhile")
                std::ofstream(late) << "";
        });
        const bool there = WaitForPorts(ports, item.Seconds, wait, [&](const std::string &m) { told += m + ";"; });
        maker.join();
        EXPECT_EQ(there, item.There) << item.Name;
        EXPECT_EQ(told, item.Told.empty() ? "" : item.Told + ";") << item.Name;
        if (item.Stop) {
            EXPECT_EQ(waits, 1) << item.Name;
        }
    }
}

TEST(DeviceMatch, UsbIdsOrAByIdNamePattern)
{
    std::string error;
    const TDeviceMatch ids = ParseDeviceMatch("0403:6001", error);
    ASSERT_TRUE(error.empty()) << error;
    EXPECT_TRUE(ids.Matches("0403", "6001", {}));
    EXPECT_FALSE(ids.Matches("0403", "6015", {}));
    const TDeviceMatch anyProduct = ParseDeviceMatch("10C4:*", error);
    EXPECT_TRUE(anyProduct.Matches("10c4", "ea60", {}));
    EXPECT_FALSE(anyProduct.Matches("0403", "ea60", {}));

    const std::vector<std::string> links = {"/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A1B2C3-if00-port0"};
    EXPECT_TRUE(ParseDeviceMatch("usb-FTDI_*", error).Matches("", "", links));
    EXPECT_TRUE(ParseDeviceMatch("/dev/serial/by-id/*A1B2C3*", error).Matches("", "", links));
    EXPECT_FALSE(ParseDeviceMatch("usb-Silicon_*", error).Matches("0403", "6001", links));
    EXPECT_FALSE(ParseDeviceMatch("usb-FTDI_*", error).Matches("0403", "6001", {}));

    for (const std::string bad : {"0403:60O1", "0403:600", "0403:60011", "", "/dev/ttyUSB*"}) {
        ParseDeviceMatch(bad, error);
        EXPECT_FALSE(error.empty()) << bad;
    }
}

} // namespace
} // namespace morlith
