// SPDX-License-Identifier: MIT
#include "PortMap.h"
#include "ScratchFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <unistd.h>

using namespace morlith;
namespace fs = std::filesystem;

namespace {

// A private XDG_CONFIG_HOME for the duration of a test.
class PortMapTest : public ::testing::Test {
protected:
    void SetUp() override { setenv("XDG_CONFIG_HOME", FDir.c_str(), 1); }
    void TearDown() override { unsetenv("XDG_CONFIG_HOME"); }
    test::TScratchFolder FFolder{"morlith-portmap-"};
    const std::string FDir = FFolder.Path();
};

} // namespace

TEST_F(PortMapTest, ComNamesInAnyCaseAndDevicePaths)
{
    EXPECT_EQ(ComPortNumber("COM3"), 3u);
    EXPECT_EQ(ComPortNumber("com12"), 12u);
    EXPECT_EQ(ComPortNumber("\\\\.\\Com7"), 7u);
    EXPECT_FALSE(ComPortNumber("COM0"));
    EXPECT_FALSE(ComPortNumber("COM"));
    EXPECT_FALSE(ComPortNumber("COM3x"));
    EXPECT_FALSE(ComPortNumber("LPT1"));
    EXPECT_EQ(ResolvePortName("/dev/pts/4"), "/dev/pts/4");
    EXPECT_EQ(ResolvePortName("something"), "something");
}

TEST_F(PortMapTest, MapEntryWinsOverTheDefaultTtyS)
{
    EXPECT_EQ(PortMapDirectory(), FDir + "/morlith/ports");
    EXPECT_EQ(ResolvePortName("COM3"), "/dev/ttyS2");
    fs::create_directories(PortMapDirectory());
    fs::create_symlink("/dev/ttyUSB0", PortMapDirectory() + "/COM3");
    EXPECT_EQ(ResolvePortName("\\\\.\\com3"), PortMapDirectory() + "/COM3");
    EXPECT_EQ(ResolvePortName("COM4"), "/dev/ttyS3");
}

TEST_F(PortMapTest, DefaultDirectoryIsUnderHome)
{
    unsetenv("XDG_CONFIG_HOME");
    const char *home = std::getenv("HOME");
    ASSERT_NE(home, nullptr);
    EXPECT_EQ(PortMapDirectory(), std::string(home) + "/.config/morlith/ports");
}

TEST_F(PortMapTest, AnEntryCanNameALineBehindADeviceServer)
{
    fs::create_directories(PortMapDirectory());
    fs::create_symlink("rfc2217://10.1.2.3:4001", PortMapDirectory() + "/COM7");
    fs::create_symlink(PortMapDirectory() + "/COM7", FDir + "/alias");
    EXPECT_EQ(ResolvePortName("COM7"), "rfc2217://10.1.2.3:4001");
    EXPECT_EQ(ResolvePortName(FDir + "/alias"), "rfc2217://10.1.2.3:4001");
    EXPECT_EQ(ResolvePortName("socket://[::1]:5000"), "socket://[::1]:5000");
    EXPECT_EQ(LinkTarget(PortMapDirectory() + "/COM7"), "rfc2217://10.1.2.3:4001");
    EXPECT_EQ(LinkTarget("rfc2217://10.1.2.3:4001"), "rfc2217://10.1.2.3:4001");
    EXPECT_EQ(AddressBehind(PortMapDirectory() + "/COM7"), "rfc2217://10.1.2.3:4001");
    fs::create_symlink("/dev/ttyUSB0", PortMapDirectory() + "/COM3");
    EXPECT_FALSE(AddressBehind(PortMapDirectory() + "/COM3"));
}
