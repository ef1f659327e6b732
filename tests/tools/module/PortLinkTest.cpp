// SPDX-License-Identifier: MIT
// The port map entry that morlith-module keeps while it runs.

#include "PortLink.h"
#include "PortMap.h"
#include "TempConfigHome.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using namespace morlith;
using morlith::test::TTempConfigHome;
namespace fs = std::filesystem;

namespace {

class PortLinkTest : public ::testing::Test {
protected:
    TTempConfigHome FHome;
};

} // namespace

TEST_F(PortLinkTest, CreatesTheDirectoryAndRemovesItsLinkOnly)
{
    const std::string path = PortMapDirectory() + "/COM9";
    {
        TPortLink link(9, "/dev/pts/77");
        EXPECT_EQ(link.PortName(), "COM9");
        EXPECT_EQ(link.Path(), path);
        EXPECT_EQ(fs::read_symlink(path), "/dev/pts/77");
        EXPECT_EQ(ResolvePortName("com9"), path);
    }
    EXPECT_FALSE(fs::exists(fs::symlink_status(path)));

    // A link that someone pointed elsewhere meanwhile is not ours to remove.
    {
        TPortLink link(9, "/dev/pts/77");
        fs::remove(path);
        fs::create_symlink("/dev/ttyUSB0", path);
    }
    EXPECT_EQ(fs::read_symlink(path), "/dev/ttyUSB0");
}

TEST_F(PortLinkTest, ReplacesALinkButRefusesAnythingElse)
{
    fs::create_directories(PortMapDirectory());
    const std::string path = PortMapDirectory() + "/COM1";
    fs::create_symlink("/dev/ttyS0", path);
    {
        TPortLink link(1, "/dev/pts/5");
        EXPECT_EQ(fs::read_symlink(path), "/dev/pts/5");
    }
    std::ofstream(path) << "x";
    EXPECT_THROW(TPortLink(1, "/dev/pts/5"), std::runtime_error);
    EXPECT_TRUE(fs::is_regular_file(path));
    fs::remove(path);
    fs::create_directory(path);
    EXPECT_THROW(TPortLink(1, "/dev/pts/5"), std::runtime_error);
}

TEST_F(PortLinkTest, UnusableDirectoryIsAClearError)
{
    std::ofstream(FHome.ConfigHome()) << "not a directory";
    try {
        TPortLink link(2, "/dev/pts/1");
        FAIL() << "no error";
    } catch (const std::runtime_error &error) {
        EXPECT_NE(std::string(error.what()).find("port map directory"), std::string::npos);
    }
}
