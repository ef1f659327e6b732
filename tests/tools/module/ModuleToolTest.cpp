// SPDX-License-Identifier: MIT
// morlith-module end to end: started as a process, reached through the port map like a real port.

#include "HostPort.h"
#include "ModuleProcess.h"
#include "TempConfigHome.h"

#include "PortMap.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>

using namespace morlith;
using namespace morlith::test;
namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

namespace {

const Bytes kConnectReply = WithCrc({'K', 'E', 'V', 1, 0, 0, 5});

// The tool links into a port map of its own.
class ModuleTool : public ::testing::Test {
protected:
    std::string Link(unsigned n) const { return PortMapDirectory() + "/COM" + std::to_string(n); }

    TTempConfigHome FHome;
    const std::string FDir = FHome.Root();
};

} // namespace

TEST_F(ModuleTool, LinksThePortAnswersThroughItAndCleansUpOnSigterm)
{
    TModuleProcess tool({"--com", "7"});
    const std::string line = tool.FirstLine();
    ASSERT_EQ(line.rfind("COM7 /dev/", 0), 0u) << line;
    const std::string device = line.substr(5);
    ASSERT_TRUE(fs::is_symlink(Link(7)));
    EXPECT_EQ(fs::read_symlink(Link(7)).string(), device);
    {
        THostPort host(Link(7));
        EXPECT_EQ(host.Exchange('C', HandshakePayload(), 7), kConnectReply);
    }
    EXPECT_EQ(tool.Signal(SIGTERM), 0) << tool.ErrorOutput();
    EXPECT_FALSE(fs::exists(fs::symlink_status(Link(7))));
}

TEST_F(ModuleTool, ReplacesAStaleLinkButNeverAFile)
{
    fs::create_directories(PortMapDirectory());
    fs::create_symlink("/dev/nonexistent", Link(3));
    {
        TModuleProcess tool({"--com", "3"});
        ASSERT_NE(tool.FirstLine(), "");
        EXPECT_NE(fs::read_symlink(Link(3)).string(), "/dev/nonexistent");
        EXPECT_EQ(tool.Signal(SIGINT), 0);
    }
    std::ofstream(Link(4)) << "keep me";
    TModuleProcess tool({"--com", "4"});
    EXPECT_EQ(tool.Wait(), 1);
    EXPECT_NE(tool.ErrorOutput().find("refusing to replace"), std::string::npos) << tool.ErrorOutput();
    EXPECT_EQ(ReadTextFile(Link(4)), "keep me");
}

TEST_F(ModuleTool, DataSegmentFileTraceAndDumpAtExit)
{
    const std::string data = FDir + "/dseg.bin";
    const std::string dump = FDir + "/dump.txt";
    std::ofstream(data, std::ios::binary) << "\x01\x02\x03";
    TModuleProcess tool({"--device-only", "--dseg-file", data, "--trace", "--dump", dump});
    const std::string device = tool.FirstLine();
    ASSERT_EQ(device.rfind("/dev/", 0), 0u) << device;
    EXPECT_FALSE(fs::exists(PortMapDirectory()));
    {
        THostPort host(device);
        const Bytes block = host.Exchange('P', {}, 8);
        ASSERT_EQ(block.size(), 10u);
        EXPECT_EQ(block[5], 3) << "the segment is as long as the file";
        EXPECT_EQ(host.Exchange('D', {}, 3), WithCrc({1, 2, 3}));
    }
    EXPECT_EQ(tool.Signal(SIGTERM), 0);
    EXPECT_NE(tool.ErrorOutput().find("#2 D len=0 ok"), std::string::npos) << tool.ErrorOutput();
    EXPECT_NE(ReadTextFile(dump).find("data-segment 3 bytes\n000000: 01 02 03\n"), std::string::npos);
}

TEST_F(ModuleTool, ExitsByItselfAfterTheRequestedHangUp)
{
    TModuleProcess tool({"--com", "2", "--hangup-after", "1"});
    ASSERT_NE(tool.FirstLine(), "");
    THostPort host(Link(2));
    EXPECT_EQ(host.Exchange('C', HandshakePayload(), 7), kConnectReply);
    host.SendRequest('Q');
    EXPECT_TRUE(host.SeesHangUp(kReplyWait));
    EXPECT_EQ(tool.Wait(), 0);
    EXPECT_FALSE(fs::exists(fs::symlink_status(Link(2))));
}

TEST_F(ModuleTool, BadArgumentsAndFilesAreRefusedClearly)
{
    TModuleProcess noPort({"--trace"});
    EXPECT_EQ(noPort.Wait(), 2);
    EXPECT_NE(noPort.ErrorOutput().find("--com N"), std::string::npos);

    TModuleProcess missingFile({"--com", "5", "--dseg-file", FDir + "/missing.bin"});
    EXPECT_EQ(missingFile.Wait(), 1);
    EXPECT_NE(missingFile.ErrorOutput().find("missing.bin"), std::string::npos);
    EXPECT_FALSE(fs::exists(fs::symlink_status(Link(5))));

    TModuleProcess help({"--help"});
    EXPECT_EQ(help.Wait(), 0);

    for (const char *option : {"--version", "-V"}) {
        TModuleProcess version({option});
        EXPECT_EQ(version.FirstLine(), std::string("morlith-module ") + MORLITH_VERSION) << option;
        EXPECT_EQ(version.Wait(), 0) << option;
    }
}

TEST_F(ModuleTool, HangUpAndBrokenPipesRemoveTheLinkLikeATerminateDoes)
{
    {
        TModuleProcess tool({"--com", "6"});
        ASSERT_NE(tool.FirstLine(), "");
        EXPECT_EQ(tool.Signal(SIGHUP), 0) << tool.ErrorOutput();
        EXPECT_FALSE(fs::exists(fs::symlink_status(Link(6))));
    }
    {
        // Its one line goes to a pipe nobody reads any more.
        TModuleProcess tool({"--com", "8"}, TStandardStreams::ssOutputUnread);
        EXPECT_EQ(tool.Wait(), 0) << tool.ErrorOutput();
        EXPECT_FALSE(fs::exists(fs::symlink_status(Link(8))));
    }
}

TEST_F(ModuleTool, ClosedStandardDescriptorsAreOpenedOnDevNull)
{
    TModuleProcess tool({"--com", "9", "--trace"}, TStandardStreams::ssInputErrorShut);
    ASSERT_NE(tool.FirstLine(), "");
    EXPECT_EQ(tool.DescriptorTarget(0), "/dev/null");
    EXPECT_EQ(tool.DescriptorTarget(2), "/dev/null");
    {
        // The trace goes nowhere and never into the line.
        THostPort host(Link(9));
        EXPECT_EQ(host.Exchange('C', HandshakePayload(), 7), kConnectReply);
        EXPECT_TRUE(host.Read(1, kQuietWait).empty());
    }
    EXPECT_EQ(tool.Signal(SIGTERM), 0);
}
