// SPDX-License-Identifier: MIT
// write-app end to end: the image the module ends with, progress, JSON Lines, failures part-way
// and Ctrl-C.

#include "CliFixture.h"
#include "NumberText.h"
#include "PackageBuilder.h"

#include <csignal>
#include <fstream>
#include <sstream>

namespace morlith::test {
namespace {

using ApplicationWrite = CliTest;

std::vector<std::string> Lines(const std::string &text)
{
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);)
        lines.push_back(line);
    return lines;
}

TEST_F(ApplicationWrite, PackThenInfoThenWriteAppLeavesThePlainImageInTheModule)
{
    TModuleServer &module = Ports.Serve(3);
    const std::vector<uint8_t> plain = Pattern(1234, 1);
    WriteBytes("app.bin", plain);
    const TCliRun pack = Cli({"pack", "app.bin", "--out", "app.xml", "--word3", "0x0040", "--piece", "100"});
    ASSERT_EQ(pack.Status, 0) << pack.Err;
    const TCliRun info = Cli({"info", "app.xml"});
    EXPECT_EQ(info.Status, 0) << info.Err;
    EXPECT_NE(info.Out.find("a write would accept it"), std::string::npos) << info.Out;
    EXPECT_NE(info.Out.find("1,234 bytes"), std::string::npos) << info.Out;
    EXPECT_EQ(Commands(module), "");

    const TCliRun write = Cli({"--port", "3", "write-app", "app.xml"});
    ASSERT_EQ(write.Status, 0) << write.Err;
    EXPECT_EQ(ProgramMemory(module), plain);
    // One result line with bytes, time and rate; plain percentage lines on a pipe, ending at 100.
    EXPECT_NE(write.Out.find("1,234 bytes in"), std::string::npos) << write.Out;
    EXPECT_NE(write.Out.find("/s)"), std::string::npos) << write.Out;
    const auto progress = Lines(write.Err);
    ASSERT_FALSE(progress.empty());
    EXPECT_EQ(progress.back(), "100%");
    EXPECT_EQ(module.WithModule([](TVirtualModule &m) { return m.Controller(0).parameterBlock[2]; }), 0x0040);
}

TEST_F(ApplicationWrite, QuietPrintsNothingAndASlaveGetsTheImage)
{
    TModuleServer &module = Ports.Serve(3);
    const std::string package = WritePackage("app.xml", Pattern(200, 4));
    const TCliRun run = Cli({"--port", "COM3", "--mcu", "3", "--quiet", "write-app", package});
    EXPECT_EQ(run.Status, 0) << run.Err;
    EXPECT_TRUE(run.Out.empty());
    EXPECT_TRUE(run.Err.empty());
    EXPECT_EQ(ProgramMemory(module, 3), Pattern(200, 4));
    EXPECT_TRUE(ProgramMemory(module, 0).empty());
}

TEST_F(ApplicationWrite, JsonLinesCarryStartProgressAndResult)
{
    Ports.Serve(3);
    const std::string package = WritePackage("app.xml", Pattern(500, 2));
    const TCliRun run = Cli({"--port", "COM3", "--json", "write-app", package});
    ASSERT_EQ(run.Status, 0) << run.Err;
    const auto lines = Lines(Unstamped(run.Out));
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines.front().rfind("{\"event\":\"start\",\"port\":\"COM3\",\"command\":\"write-app\"", 0), 0u) << lines.front();
    EXPECT_EQ(lines.back().rfind("{\"event\":\"result\",\"port\":\"COM3\",\"ok\":true,\"status\":0", 0), 0u) << lines.back();
    EXPECT_NE(lines[lines.size() - 2].find("\"percent\":100,\"bytes\":500,\"total\":500"), std::string::npos);
    for (size_t i = 1; i + 1 < lines.size(); ++i)
        EXPECT_EQ(lines[i].rfind("{\"event\":\"progress\"", 0), 0u) << lines[i];
    EXPECT_EQ(run.Err, "");
}

TEST_F(ApplicationWrite, PackagesAWriteWouldRefuseGiveStatusOneAndNothingIsSent)
{
    TModuleServer &module = Ports.Serve(3);
    auto badHeader = BuildPackageBytes(Pattern(100, 3), 0);
    badHeader.Header[7] ^= 0x01;
    auto badImage = BuildPackageBytes(Pattern(100, 3), 0);
    badImage.KeyedImage[10] ^= 0xFF;
    const std::vector<std::pair<TPackageBytes, std::string>> cases = {{badHeader, "header CRC"},
                                                                      {badImage, "image CRC"}};
    for (const auto &[package, reason] : cases) {
        std::string why;
        ASSERT_TRUE(SavePackageFile(File("bad.xml"), package.Header, package.KeyedImage, 0, &why)) << why;
        const TCliRun run = Cli({"--port", "COM3", "write-app", "bad.xml"});
        EXPECT_EQ(run.Status, 1);
        EXPECT_NE(run.Err.find(reason), std::string::npos) << run.Err;
        EXPECT_NE(run.Err.find("bad.xml: refused, nothing sent"), std::string::npos) << run.Err;
    }
    std::ofstream(File("headless.xml")) << "<config Application=\"ORVELMorlith\" Version=\"1\"><FirmwareList>"
                                           "<Item><Code>0102</Code></Item></FirmwareList></config>";
    const TCliRun headless = Cli({"--port", "COM3", "write-app", "headless.xml"});
    EXPECT_EQ(headless.Status, 1);
    EXPECT_NE(headless.Err.find("no header"), std::string::npos) << headless.Err;
    EXPECT_EQ(Commands(module), "");
}

TEST_F(ApplicationWrite, FailurePartWayTellsWhatTheModuleHolds)
{
    TModuleServerOptions options;
    // Frames: C, F, W (block), F, then the image chunks; the third chunk gets no reply.
    options.faults.noReplyFrames = {7};
    Ports.Serve(3, options);
    const std::string package = WritePackage("app.xml", Pattern(400, 6));
    const TCliRun run = Cli({"--port", "COM3", "--timeout", "200", "write-app", package});
    EXPECT_EQ(run.Status, 1);
    EXPECT_NE(run.Err.find("application chunk 3 of 8"), std::string::npos) << run.Err;
    // The module may have taken the unanswered chunk; the goodbye's reply does not settle that.
    EXPECT_NE(run.Err.find("application partly written: between 100 and 150 of 400 bytes"), std::string::npos)
        << run.Err;
}

TEST_F(ApplicationWrite, InterruptStopsAfterTheCurrentExchangeSendsNothingMoreAndSaysWhatIsLeft)
{
    TModuleServerOptions options;
    options.bitRate = 19200; // about 30 ms a chunk: the write takes seconds
    TModuleServer &module = Ports.Serve(3, options);
    const std::string package = WritePackage("app.xml", Pattern(6000, 7));
    TCliProcess tool({"--port", "COM3", "write-app", package}, Folder());
    ASSERT_TRUE(tool.WaitForError("%\n"));
    tool.Signal(SIGINT);
    const TCliRun run = tool.Finish();
    EXPECT_EQ(run.Status, 130) << run.Err;
    EXPECT_NE(run.Err.find("stopped on request"), std::string::npos) << run.Err;
    const auto at = run.Err.find("application partly written: ");
    ASSERT_NE(at, std::string::npos) << run.Err;
    // The stop may land while a chunk's reply is awaited: the range then covers what the module
    // holds either way. No "Q" went out after the signal.
    const std::string commands = Commands(module);
    EXPECT_EQ(commands.find('Q'), std::string::npos) << commands;
    const size_t chunks = CountOf(commands, "W") - 1;
    const uint64_t held = ProgramMemory(module).size();
    EXPECT_EQ(held, chunks * 50);
    EXPECT_LT(held, 6000u);
    const auto of = [](uint64_t bytes) { return GroupThousands(bytes) + " of 6,000 bytes"; };
    const std::string told = run.Err.substr(at + std::string("application partly written: ").size());
    EXPECT_TRUE(told.rfind(of(held), 0) == 0 ||
                told.rfind("between " + GroupThousands(held - 50) + " and " + of(held), 0) == 0 ||
                told.rfind("between " + GroupThousands(held) + " and " + of(held + 50), 0) == 0)
        << "the module holds " << held << " bytes; the tool says: " << told;
}

} // namespace
} // namespace morlith::test
