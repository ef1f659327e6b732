// SPDX-License-Identifier: MIT
// One command on several modules at once: each port with its own engine, a summary at the end.

#include "CliFixture.h"

namespace morlith::test {
namespace {

using SeveralPorts = CliTest;

TEST_F(SeveralPorts, ThreeModulesOneSilentGiveTwoSuccessesAndOneFailure)
{
    TModuleServer &first = Ports.Serve(1);
    TModuleServerOptions silent;
    silent.faults.silent = true;
    TModuleServer &second = Ports.Serve(2, silent);
    TModuleServer &third = Ports.Serve(3);
    const std::vector<uint8_t> plain = Pattern(700, 8);
    const std::string package = WritePackage("app.xml", plain);

    const TCliRun run = Cli({"--port", "COM1,COM2", "--port", "3", "--timeout", "300", "write-app", package});
    EXPECT_EQ(run.Status, 1) << run.Err;
    EXPECT_EQ(ProgramMemory(first), plain);
    EXPECT_EQ(ProgramMemory(third), plain);
    EXPECT_TRUE(ProgramMemory(second).empty());
    EXPECT_EQ(Commands(second), "C");
    EXPECT_NE(run.Out.find("PORT"), std::string::npos) << run.Out;
    EXPECT_NE(run.Out.find("COM1  ok"), std::string::npos) << run.Out;
    EXPECT_NE(run.Out.find("COM3  ok"), std::string::npos) << run.Out;
    EXPECT_NE(run.Out.find("COM2  failed"), std::string::npos) << run.Out;
    EXPECT_NE(run.Out.find("connecting: no reply to C"), std::string::npos) << run.Out;
    EXPECT_NE(run.Out.find("2 of 3 ports succeeded"), std::string::npos) << run.Out;
    EXPECT_NE(run.Err.find("COM2: connecting: no reply"), std::string::npos) << run.Err;
}

TEST_F(SeveralPorts, JsonNamesThePortInEveryEventAndEndsWithASummary)
{
    Ports.Serve(1);
    Ports.Serve(2);
    const std::string package = WritePackage("app.xml", Pattern(120, 1));
    const TCliRun run = Cli({"--port", "COM1,COM2", "--json", "write-app", package});
    EXPECT_EQ(run.Status, 0) << run.Err;
    EXPECT_EQ(CountOf(run.Out, "\"schema\":1,"), CountOf(run.Out, "\n"));
    const std::string out = Unstamped(run.Out);
    EXPECT_EQ(CountOf(out, "{\"event\":\"result\",\"port\":\"COM1\",\"ok\":true"), 1u) << run.Out;
    EXPECT_EQ(CountOf(out, "{\"event\":\"result\",\"port\":\"COM2\",\"ok\":true"), 1u) << run.Out;
    EXPECT_NE(out.find("{\"event\":\"summary\",\"ports\":2,\"succeeded\":2,\"failed\":0}"), std::string::npos);
    EXPECT_EQ(CountOf(run.Out, "\n"), CountOf(run.Out, "{\"event\":"));
}

TEST_F(SeveralPorts, ReadDsegGivesEachPortItsOwnFile)
{
    ServeSegment(1, 32, 1);
    TModuleServer &second = ServeSegment(2, 32, 2);

    const TCliRun shared = Cli({"--port", "COM1,COM2", "read-dseg", "segment.bin"});
    EXPECT_EQ(shared.Status, 2);
    EXPECT_NE(shared.Err.find("{port}"), std::string::npos) << shared.Err;
    EXPECT_EQ(Commands(second), "");

    const TCliRun run = Cli({"--port", "COM1,COM2", "read-dseg", "segment-{port}.bin"});
    EXPECT_EQ(run.Status, 0) << run.Err;
    EXPECT_EQ(ReadBytes(File("segment-COM1.bin")), Pattern(32, 1));
    EXPECT_EQ(ReadBytes(File("segment-COM2.bin")), Pattern(32, 2));
}

} // namespace
} // namespace morlith::test
