// SPDX-License-Identifier: MIT
// connect, read-dseg and write-dseg end to end against virtual modules, and the checks that stop
// a command before anything is sent.

#include "CliFixture.h"
#include "NumberText.h"

#include <chrono>

#include <csignal>
#include <filesystem>
#include <fstream>

namespace morlith::test {
namespace {

using DeviceCommands = CliTest;

TEST_F(DeviceCommands, ConnectUsesConnectForTheMainControllerAndSelectMcuForASlave)
{
    TModuleServer &module = Ports.Serve(3);
    const TCliRun main = Cli({"--port", "COM3", "connect"});
    EXPECT_EQ(main.Status, 0) << main.Err;
    EXPECT_NE(main.Out.find("Connected to the bootloader on COM3"), std::string::npos);
    EXPECT_EQ(Commands(module), "CQ");

    const TCliRun slave = Cli({"connect", "--port", "COM3", "--mcu", "2"});
    EXPECT_EQ(slave.Status, 0) << slave.Err;
    ASSERT_EQ(Commands(module), "CQCICQ");
    EXPECT_EQ(module.Trace().Entries()[3].payload, (std::vector<uint8_t>{2}));
    // The goodbye ends the selection.
    EXPECT_EQ(module.WithModule([](TVirtualModule &m) { return m.SelectedIndex(); }), 0);
}

TEST_F(DeviceCommands, AWriteForTheMainControllerAfterASlaveSessionLandsInTheMainController)
{
    TModuleServerOptions options;
    options.dataSegmentBytes = 8;
    TModuleServer &module = Ports.Serve(3, options);
    ASSERT_EQ(Cli({"--port", "COM3", "--mcu", "1", "connect"}).Status, 0);
    const TCliRun run = Cli({"--port", "COM3", "write-dseg", WriteBytes("main.bin", Pattern(8, 1))});
    EXPECT_EQ(run.Status, 0) << run.Err;
    EXPECT_EQ(module.WithModule([](TVirtualModule &m) { return m.Controller(0).dataSegment; }), Pattern(8, 1));
    EXPECT_EQ(module.WithModule([](TVirtualModule &m) { return m.Controller(1).dataSegment; }),
              std::vector<uint8_t>(8, 0xFF));
}

TEST_F(DeviceCommands, NumberComNameAndDevicePathReachTheSameModule)
{
    TModuleServer &module = Ports.Serve(7);
    for (const std::string &port : {std::string("7"), std::string("COM7"), module.SlavePath()}) {
        const TCliRun run = Cli({"--port", port, "connect"});
        EXPECT_EQ(run.Status, 0) << port << ": " << run.Err;
    }
    EXPECT_EQ(Commands(module), "CQCQCQ");
}

TEST_F(DeviceCommands, WithoutPortTheConfiguredPortPlusOneIsUsed)
{
    TModuleServer &module = Ports.Serve(6);
    std::ofstream(File("Config.mlhxml")) << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
                                            "<config Application=\"ORVELMorlith\" Version=\"1\">\r\n"
                                            "  <Port>5</Port>\r\n</config>\r\n";
    const TCliRun run = Cli({"connect"});
    EXPECT_EQ(run.Status, 0) << run.Err;
    EXPECT_EQ(Commands(module), "CQ");
}

TEST_F(DeviceCommands, SilentModuleFailsWithTheReasonAfterAboutTheInactivityLimit)
{
    TModuleServerOptions options;
    options.faults.silent = true;
    TModuleServer &module = Ports.Serve(4, options);
    const TCliRun run = Cli({"--port", "COM4", "--timeout", "300", "connect"});
    EXPECT_EQ(run.Status, 1);
    EXPECT_EQ(run.Err, "morlith-cli: COM4: connecting: no reply to C within 300 ms\n");
    EXPECT_EQ(CountOf(run.Err, "\n"), 1u) << run.Err;
    EXPECT_TRUE(run.Out.empty());
    // The limit is what is waited for; the upper bound only leaves room for a loaded machine.
    EXPECT_GE(run.Seconds, 0.3);
    EXPECT_LT(run.Seconds, 10.0);
    EXPECT_EQ(Commands(module), "C");
}

TEST_F(DeviceCommands, BadArgumentsAreRefusedWithStatusTwoBeforeAnythingIsSent)
{
    TModuleServer &module = Ports.Serve(2);
    const std::vector<std::vector<std::string>> refused = {
        {"--port", "COM2", "--bogus", "connect"},
        {"--port", "COM2", "--mcu", "5", "connect"},
        {"--port", "COM2", "--timeout", "0", "connect"},
        {"--port", "COM2", "--verify", "connect"},
        {"--port", "0", "connect"},
        {"--port", "COM2,", "connect"},
        {"--port", "2", "--port", "COM2", "connect"},
        {"--port", "COM2", "write-app", File("missing.xml")},
        {"--port", "COM2", "write-dseg", File("missing.bin")},
        {"--port", "COM2", "write-dseg", Folder()},
        {"--port", "COM2", "read-dseg", File("no-folder/out.bin")},
        {"--port", "COM2", "write-app"},
        {"flash"},
    };
    for (const auto &arguments : refused) {
        const TCliRun run = Cli(arguments);
        EXPECT_EQ(run.Status, 2) << arguments.back() << ": " << run.Err;
        EXPECT_FALSE(run.Err.empty());
    }
    EXPECT_EQ(Commands(module), "");
}

TEST_F(DeviceCommands, MissingFileMessageNamesTheFile)
{
    Ports.Serve(2);
    const TCliRun run = Cli({"--port", "COM2", "write-dseg", File("missing.bin")});
    EXPECT_EQ(run.Status, 2);
    EXPECT_NE(run.Err.find(File("missing.bin")), std::string::npos) << run.Err;
    EXPECT_NE(run.Err.find("No such file"), std::string::npos) << run.Err;
}

TEST_F(DeviceCommands, ReadDsegRefusesAnExistingFileAndKeepsItUnlessForced)
{
    TModuleServerOptions options;
    options.dataSegmentBytes = 300;
    options.dataSegmentOf[1] = Pattern(300, 5);
    TModuleServer &module = Ports.Serve(3, options);
    const std::string target = WriteBytes("keep.bin", {1, 2, 3});

    const TCliRun refused = Cli({"--port", "COM3", "--mcu", "1", "read-dseg", target});
    EXPECT_EQ(refused.Status, 2);
    EXPECT_NE(refused.Err.find("--force"), std::string::npos) << refused.Err;
    EXPECT_EQ(ReadBytes(target), (std::vector<uint8_t>{1, 2, 3}));
    EXPECT_EQ(Commands(module), "");

    const TCliRun forced = Cli({"--port", "COM3", "--mcu", "1", "read-dseg", target, "--force"});
    EXPECT_EQ(forced.Status, 0) << forced.Err;
    EXPECT_EQ(ReadBytes(target), Pattern(300, 5));
    EXPECT_EQ(Commands(module), "CICPDQ");
}

TEST_F(DeviceCommands, ReadDsegWritesANewFileAndLeavesNoScratchFiles)
{
    ServeSegment(3, 64, 9);
    const TCliRun run = Cli({"--port", "COM3", "read-dseg", "segment.bin"});
    EXPECT_EQ(run.Status, 0) << run.Err;
    EXPECT_EQ(ReadBytes(File("segment.bin")), Pattern(64, 9));
    EXPECT_NE(run.Out.find("Read 64 bytes"), std::string::npos) << run.Out;
    EXPECT_EQ(TemporaryFilesIn(Folder()), std::vector<std::string>{});
}

TEST_F(DeviceCommands, WriteDsegVerifyConfirmsTheSegmentOrReportsTheFirstDifference)
{
    TModuleServerOptions options;
    options.dataSegmentBytes = 64;
    TModuleServer &module = Ports.Serve(5, options);
    const std::string fits = WriteBytes("fits.bin", Pattern(64, 2));
    const TCliRun good = Cli({"--port", "COM5", "write-dseg", fits, "--verify"});
    EXPECT_EQ(good.Status, 0) << good.Err;
    EXPECT_NE(good.Out.find("verified"), std::string::npos);
    const TCliRun shorter = Cli({"--port", "COM5", "write-dseg", WriteBytes("short.bin", Pattern(10, 2))});
    EXPECT_NE(shorter.Out.find("the first 10 of its 64 bytes"), std::string::npos) << shorter.Out;
    const TCliRun one = Cli({"--port", "COM5", "write-dseg", WriteBytes("one.bin", {0x42})});
    EXPECT_NE(one.Out.find("Wrote 1 byte of "), std::string::npos) << one.Out;
    std::vector<uint8_t> expected = Pattern(64, 2);
    expected[0] = 0x42;
    EXPECT_EQ(module.WithModule([](TVirtualModule &m) { return m.Controller(0).dataSegment; }), expected);

    // A file longer than the segment is refused before anything is written, both sizes named.
    const std::string tooLong = WriteBytes("long.bin", Pattern(100, 3));
    const size_t before = module.Trace().Entries().size();
    const TCliRun refused = Cli({"--port", "COM5", "--json", "write-dseg", tooLong});
    EXPECT_EQ(refused.Status, 1);
    EXPECT_EQ(FieldOf(refused.Out, "kind"), "refused_input") << refused.Out;
    EXPECT_NE(refused.Err.find("is 100 bytes"), std::string::npos) << refused.Err;
    EXPECT_NE(refused.Err.find("holds 64"), std::string::npos) << refused.Err;
    EXPECT_EQ(Commands(module).substr(before), "CPQ");
    EXPECT_EQ(module.WithModule([](TVirtualModule &m) { return m.Controller(0).dataSegment; }), expected);

    // Forced, the module does not answer the chunk that would run past its segment, so the write
    // fails there rather than passing for a success.
    const TCliRun bad = Cli({"--port", "COM5", "--timeout", "200", "write-dseg", tooLong, "--verify", "--force"});
    EXPECT_EQ(bad.Status, 1);
    EXPECT_NE(bad.Err.find("data-segment chunk 2 of 2"), std::string::npos) << bad.Err;
}

TEST_F(DeviceCommands, VerboseTracesEveryFrameOnStandardError)
{
    Ports.Serve(3);
    const TCliRun run = Cli({"--port", "COM3", "--verbose", "connect"});
    EXPECT_EQ(run.Status, 0);
    EXPECT_NE(run.Err.find("COM3 -> C 50 bytes"), std::string::npos) << run.Err;
    EXPECT_NE(run.Err.find("COM3 <- C 9 bytes, CRC ok"), std::string::npos) << run.Err;
    EXPECT_NE(run.Err.find("COM3 -> Q"), std::string::npos) << run.Err;
}

TEST_F(DeviceCommands, TerminateDuringTheHandshakeEndsWithStatus130AndNoFile)
{
    TModuleServerOptions options;
    options.faults.silent = true;
    TModuleServer &module = Ports.Serve(3, options);
    TCliProcess tool({"--port", "COM3", "--verbose", "read-dseg", "segment.bin"}, Folder());
    ASSERT_TRUE(tool.WaitForError("COM3 -> C"));
    // The stop ends the wait for the reply at once: let the module take the frame in first.
    ASSERT_TRUE(PollUntil([&] { return !Commands(module).empty(); }));
    tool.Signal(SIGTERM);
    const TCliRun run = tool.Finish();
    EXPECT_EQ(run.Status, 130) << run.Err;
    EXPECT_NE(run.Err.find("nothing was written to the module"), std::string::npos) << run.Err;
    EXPECT_TRUE(ReadBytes(File("segment.bin")).empty());
    EXPECT_FALSE(std::filesystem::exists(File("segment.bin")));
    // The module's thread may read the frame only after the tool has gone.
    EXPECT_TRUE(module.Trace().WaitForSize(1, std::chrono::milliseconds(2000)));
    EXPECT_EQ(Commands(module), "C");
}

TEST_F(DeviceCommands, NoReplyToAFrameFailsWithTheEngineReason)
{
    TModuleServerOptions options;
    options.faults.noReplyFrames = {2};
    TModuleServer &module = Ports.Serve(3, options);
    const TCliRun run = Cli({"--port", "COM3", "--timeout", "200", "--mcu", "4", "connect"});
    EXPECT_EQ(run.Status, 1);
    EXPECT_NE(run.Err.find("selecting controller 4: no reply to I"), std::string::npos) << run.Err;
    // A failed selection leaves the tool not connected: no "Q" follows.
    EXPECT_EQ(Commands(module), "CI");
}

} // namespace
// status: every controller's parameter block, the packages each holds named as given, an absent
// slave told and no failure; packages that cannot be read stop it before any frame.
TEST_F(DeviceCommands, StatusSaysWhatEachControllerHoldsAndAbsentSlavesAreNoFailure)
{
    TModuleServerOptions options;
    options.absentControllers = {4};
    TModuleServer &module = Ports.Serve(3, options);
    const std::string a = WritePackage("a.xml", Pattern(200, 1));
    const std::string b = WritePackage("b.xml", Pattern(90, 2));
    ASSERT_EQ(Cli({"--port", "COM3", "--mcu", "1", "write-app", a}).Status, 0);
    const uint16_t crc = module.WithModule([](TVirtualModule &m) { return m.Controller(1).parameterBlock[1]; });
    const size_t before = module.Trace().Size();

    const TCliRun json = Cli({"--port", "COM3", "--timeout", "200", "--json", "--log", "log.jsonl", "status", "a.xml", "b.xml"});
    ASSERT_EQ(json.Status, 0) << json.Err;
    const auto events = JsonLinesOf(json.Out);
    ASSERT_EQ(events.size(), 3u) << json.Out;
    EXPECT_EQ(events[1]["event"], "status");
    const nlohmann::json &controllers = events[1]["controllers"];
    ASSERT_EQ(controllers.size(), 5u) << events[1];
    EXPECT_EQ(controllers[1], (nlohmann::json{{"mcu", 1}, {"image_length", 200}, {"image_crc", Hex16(crc)},
                                              {"dseg_length", 0}, {"package", "a.xml"}}));
    EXPECT_TRUE(controllers[0]["package"].is_null()) << controllers[0];
    EXPECT_EQ(controllers[4], (nlohmann::json{{"mcu", 4}, {"absent", true}}));
    EXPECT_EQ(Commands(module).substr(before), "CPICPICPICPI") << "nothing is written";
    const nlohmann::json record = LastJsonOf(ReadText(File("log.jsonl")));
    EXPECT_EQ(record["command"], "status");
    EXPECT_EQ(record["controllers"], controllers);

    const TCliRun human = Cli({"--port", "COM3", "--timeout", "200", "status", "b.xml"});
    EXPECT_EQ(human.Status, 0) << human.Err;
    EXPECT_NE(human.Out.find("COM3, controller 1: 200 bytes, CRC " + Hex16(crc) + "; data segment 0 bytes\n"),
              std::string::npos) << human.Out;
    EXPECT_NE(human.Out.find("COM3, controller 4: absent"), std::string::npos) << human.Out;
    EXPECT_NE(human.Out.find("4 controllers, 1 absent"), std::string::npos) << human.Out;

    const size_t sent = module.Trace().Size();
    const TCliRun missing = Cli({"--port", "COM3", "status", "a.xml", "gone.xml"});
    EXPECT_EQ(missing.Status, 2);
    EXPECT_NE(missing.Err.find("gone.xml"), std::string::npos) << missing.Err;
    EXPECT_EQ(module.Trace().Size(), sent);
}

// write-app --skip-if-current: a controller that holds the package gets one "P" and nothing else,
// and the result says it was already current.
TEST_F(DeviceCommands, WriteAppSkipsAControllerThatAlreadyHoldsThePackage)
{
    TModuleServer &module = Ports.Serve(3);
    const std::string a = WritePackage("a.xml", Pattern(120, 5));
    const TCliRun first = Cli({"--port", "COM3", "--json", "write-app", "--skip-if-current", a});
    ASSERT_EQ(first.Status, 0) << first.Err;
    EXPECT_FALSE(ResultOf(first).contains("already_current")) << first.Out;
    EXPECT_EQ(ProgramMemory(module), Pattern(120, 5));
    const size_t before = module.Trace().Size();
    const TCliRun again = Cli({"--port", "COM3", "--json", "write-app", "--skip-if-current", a});
    ASSERT_EQ(again.Status, 0) << again.Err;
    EXPECT_EQ(ResultOf(again)["already_current"], true) << again.Out;
    EXPECT_EQ(ResultOf(again)["bytes"], 0);
    EXPECT_NE(FieldOf(ResultOf(again), "message").find("already current"), std::string::npos) << again.Out;
    EXPECT_EQ(Commands(module).substr(before), "CPQ");
}

} // namespace morlith::test
