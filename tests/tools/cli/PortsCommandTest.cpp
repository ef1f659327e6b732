// SPDX-License-Identifier: MIT
// ports, ports map and ports unmap on the test's private port map.

#include "CliFixture.h"
#include "PortMap.h"

#include <filesystem>

namespace fs = std::filesystem;

namespace morlith::test {
namespace {

using PortsCommand = CliTest;

TEST_F(PortsCommand, MapListAndUnmapAnEntry)
{
    const std::string entry = PortMapDirectory() + "/COM9";
    const TCliRun map = Cli({"ports", "map", "COM9", "/dev/null"});
    EXPECT_EQ(map.Status, 0) << map.Err;
    EXPECT_EQ(fs::read_symlink(entry), "/dev/null");

    const TCliRun list = Cli({"ports"});
    EXPECT_EQ(list.Status, 0);
    EXPECT_NE(list.Out.find("COM9 -> /dev/null"), std::string::npos) << list.Out;
    EXPECT_NE(list.Out.find("Serial devices:"), std::string::npos) << list.Out;

    const TCliRun elsewhere = Cli({"ports", "map", "COM9", "/dev/zero"});
    EXPECT_EQ(elsewhere.Status, 2);
    EXPECT_EQ(fs::read_symlink(entry), "/dev/null");
    EXPECT_EQ(Cli({"ports", "map", "--force", "COM9", "/dev/zero"}).Status, 0);
    EXPECT_EQ(fs::read_symlink(entry), "/dev/zero");

    EXPECT_EQ(Cli({"ports", "unmap", "com9"}).Status, 0);
    EXPECT_FALSE(fs::exists(fs::symlink_status(entry)));
    EXPECT_EQ(Cli({"ports", "unmap", "COM9"}).Status, 2);
}

TEST_F(PortsCommand, BadNamesAndDevicesAreRefused)
{
    EXPECT_EQ(Cli({"ports", "map", "COM0", "/dev/null"}).Status, 2);
    EXPECT_EQ(Cli({"ports", "map", "COM256", "/dev/null"}).Status, 2);
    EXPECT_EQ(Cli({"ports", "map", "LPT1", "/dev/null"}).Status, 2);
    EXPECT_EQ(Cli({"ports", "map", "COM4", "ttyUSB0"}).Status, 2);
    EXPECT_EQ(Cli({"ports", "map", "COM4"}).Status, 2);
    EXPECT_FALSE(fs::exists(fs::symlink_status(PortMapDirectory() + "/COM4")));
}

TEST_F(PortsCommand, JsonListsEachEntryWithWhetherItsDeviceExists)
{
    TModuleServer &module = Ports.Serve(2);
    fs::create_symlink(File("gone"), PortMapDirectory() + "/COM5");
    const TCliRun run = Cli({"ports", "--json"});
    EXPECT_EQ(run.Status, 0);
    EXPECT_NE(Unstamped(run.Out).find("{\"event\":\"port\",\"name\":\"COM2\",\"target\":\"" + module.SlavePath() +
                           "\",\"device\":\"" + module.SlavePath() + "\",\"exists\":true}"),
              std::string::npos)
        << run.Out;
    EXPECT_NE(run.Out.find("\"name\":\"COM5\""), std::string::npos);
    EXPECT_NE(run.Out.find("\"exists\":false"), std::string::npos) << run.Out;
    // Listing opens no port: the module saw nothing.
    EXPECT_EQ(Commands(module), "");
}

} // namespace
} // namespace morlith::test
