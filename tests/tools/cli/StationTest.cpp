// SPDX-License-Identifier: MIT
// Station mode against virtual modules linked into the port map while `watch` runs, and --wait.

#include "CliFixture.h"
#include "PortMap.h"
#include "Sha256.h"

#include <csignal>
#include <fstream>

namespace morlith::test {
namespace {

constexpr const char *kWatching = "watching ";

class Station : public CliTest {
protected:
    // Starts `watch` with `arguments` and waits until it watches.
    std::unique_ptr<TCliProcess> Watch(const std::vector<std::string> &arguments)
    {
        std::vector<std::string> words = {"watch"};
        words.insert(words.end(), arguments.begin(), arguments.end());
        auto process = std::make_unique<TCliProcess>(words, Folder());
        EXPECT_TRUE(process->WaitForError(kWatching)) << process->SoFar().Err;
        return process;
    }
    // Ends `watch` as an operator does.
    static TCliRun Stop(TCliProcess &process)
    {
        process.Signal(SIGINT);
        return process.Finish();
    }
};

TEST_F(Station, ModulesLinkedWhileWatchingAreEachFlashedOnce)
{
    const std::vector<uint8_t> plain = Pattern(600, 1);
    const std::string package = WritePackage("app.xml", plain);
    const auto watch = Watch({"write-app", package, "--log", "line.jsonl"});
    TModuleServer &first = Ports.Serve(1);
    ASSERT_TRUE(watch->WaitForOutput(" ok ", 1)) << watch->SoFar().Err;
    TModuleServer &second = Ports.Serve(2);
    ASSERT_TRUE(watch->WaitForOutput(" ok ", 2)) << watch->SoFar().Err;
    // Something else happening in the port map takes nobody twice.
    std::ofstream(PortMapDirectory() + "/notes.txt") << "COM1 is the left jig\n";
    const TCliRun run = Stop(*watch);

    EXPECT_EQ(run.Status, 0) << run.Err;
    EXPECT_EQ(ProgramMemory(first), plain);
    EXPECT_EQ(ProgramMemory(second), plain);
    EXPECT_EQ(Commands(first), Commands(second));
    EXPECT_EQ(CountOf(Commands(first), "C"), 1u) << Commands(first);
    EXPECT_EQ(CountOf(run.Out, "\n"), 3u) << run.Out;
    EXPECT_NE(run.Out.find("  COM1  ok  Wrote "), std::string::npos) << run.Out;
    EXPECT_NE(run.Out.find("2 modules: 2 ok, 0 failed"), std::string::npos) << run.Out;
    const std::vector<uint8_t> log = ReadBytes(File("line.jsonl"));
    EXPECT_EQ(CountOf(std::string(log.begin(), log.end()), "\"result\":\"ok\""), 2u);
}

// The package is read again for every module: one replaced between two modules is what the next
// module gets, under its own fingerprint, and said on its line; --expect-sha256 refuses it.
TEST_F(Station, AReplacedPackageIsNoticedAndTakenAnewOrRefused)
{
    const std::string package = WritePackage("app.xml", Pattern(300, 1));
    const std::vector<uint8_t> first = ReadBytes(package);
    const auto watch = Watch({"write-app", package, "--log", "line.jsonl"});
    TModuleServer &one = Ports.Serve(1);
    ASSERT_TRUE(watch->WaitForOutput(" ok ", 1)) << watch->SoFar().Err;
    WritePackage("app.xml", Pattern(200, 2));
    const std::vector<uint8_t> second = ReadBytes(package);
    TModuleServer &two = Ports.Serve(2);
    ASSERT_TRUE(watch->WaitForOutput(" ok ", 2)) << watch->SoFar().Err;
    const TCliRun run = Stop(*watch);
    EXPECT_EQ(run.Status, 0) << run.Err;
    EXPECT_EQ(ProgramMemory(one), Pattern(300, 1));
    EXPECT_EQ(ProgramMemory(two), Pattern(200, 2));
    EXPECT_NE(run.Out.find("COM2  ok  " + package + " changed: SHA-256 now " + Sha256Hex(second.data(), second.size())),
              std::string::npos)
        << run.Out;
    const std::vector<uint8_t> log = ReadBytes(File("line.jsonl"));
    const std::string records(log.begin(), log.end());
    EXPECT_NE(records.find(Sha256Hex(first.data(), first.size())), std::string::npos) << records;
    EXPECT_NE(records.find(Sha256Hex(second.data(), second.size())), std::string::npos) << records;

    const auto pinned = Watch({"write-app", package, "--expect-sha256", Sha256Hex(second.data(), second.size())});
    WritePackage("app.xml", Pattern(200, 3));
    TModuleServer &three = Ports.Serve(3);
    ASSERT_TRUE(pinned->WaitForOutput(" failed ", 1)) << pinned->SoFar().Err;
    const TCliRun refused = Stop(*pinned);
    EXPECT_EQ(refused.Status, 1) << refused.Err;
    EXPECT_NE(refused.Out.find("changed and is refused"), std::string::npos) << refused.Out;
    EXPECT_EQ(Commands(three), "") << "nothing is sent to a module whose input is refused";
}

TEST_F(Station, APortIsTakenAgainOnlyAfterItWentAwayAndCameBack)
{
    const auto watch = Watch({"connect"});
    TModuleServer &module = Ports.Serve(3);
    ASSERT_TRUE(watch->WaitForOutput("COM3  ok", 1)) << watch->SoFar().Err;
    EXPECT_EQ(Commands(module), "CQ");
    // Unplugged and plugged in again: a new module on the same port.
    Ports.Unlink(3);
    TModuleServer &again = Ports.Serve(3);
    ASSERT_TRUE(watch->WaitForOutput("COM3  ok", 2)) << watch->SoFar().Err;
    EXPECT_EQ(Commands(again), "CQ");
    const TCliRun run = Stop(*watch);
    EXPECT_EQ(run.Status, 0) << run.Err;
    EXPECT_NE(run.Out.find("2 modules: 2 ok, 0 failed"), std::string::npos) << run.Out;
}

TEST_F(Station, APortThatVanishesMidWriteFailsAsAHangUpAndTheOthersGoOn)
{
    const std::string package = WritePackage("app.xml", Pattern(5000, 2));
    const auto watch = Watch({"--json", "write-app", package});
    TModuleServerOptions paced;
    paced.bitRate = 19200;
    TModuleServer &leaving = Ports.Serve(1, paced);
    // Unplugged once the application is on its way.
    ASSERT_TRUE(PollUntil([&] { return CountOf(Commands(leaving), "W") >= 4; }));
    Ports.Unlink(1);
    ASSERT_TRUE(watch->WaitForOutput("\"event\":\"result\"", 1)) << watch->SoFar().Err;
    TModuleServer &staying = Ports.Serve(2);
    ASSERT_TRUE(watch->WaitForOutput("\"event\":\"result\"", 2)) << watch->SoFar().Err;
    const TCliRun run = Stop(*watch);

    EXPECT_EQ(run.Status, 1) << run.Err;
    EXPECT_EQ(ProgramMemory(staying), Pattern(5000, 2));
    EXPECT_NE(run.Out.find("\"port\":\"COM1\",\"ok\":false"), std::string::npos) << run.Out;
    EXPECT_NE(run.Out.find("\"kind\":\"hangup\""), std::string::npos) << run.Out;
    EXPECT_NE(run.Out.find("\"port\":\"COM2\",\"ok\":true"), std::string::npos) << run.Out;
    EXPECT_NE(Unstamped(run.Out).find("{\"event\":\"summary\",\"ports\":2,\"succeeded\":1,\"failed\":1}"),
              std::string::npos)
        << run.Out;
}

TEST_F(Station, PortsThereAtTheStartAreLeftAloneUnlessAskedAndPortCanNarrowTheWatch)
{
    TModuleServer &before = Ports.Serve(4);
    const auto watch = Watch({"--port", "COM5,COM6", "connect"});
    TModuleServer &outside = Ports.Serve(7);
    TModuleServer &inside = Ports.Serve(6);
    ASSERT_TRUE(watch->WaitForOutput("COM6  ok", 1)) << watch->SoFar().Err;
    EXPECT_EQ(Stop(*watch).Status, 0);
    EXPECT_EQ(Commands(before), "");
    EXPECT_EQ(Commands(outside), "");
    EXPECT_EQ(Commands(inside), "CQ");

    const auto existing = Watch({"--existing", "connect"});
    ASSERT_TRUE(existing->WaitForOutput(" ok ", 3)) << existing->SoFar().Out;
    EXPECT_EQ(Stop(*existing).Status, 0);
    EXPECT_EQ(Commands(before), "CQ");
}

TEST_F(Station, ReadingGivesEachModuleItsOwnFile)
{
    TModuleServerOptions one;
    one.dataSegmentBytes = 16;
    one.dataSegmentForAll = Pattern(16, 1);
    TModuleServerOptions two = one;
    two.dataSegmentForAll = Pattern(16, 2);

    const TCliRun shared = Cli({"watch", "read-dseg", "dump-{port}.bin"});
    EXPECT_EQ(shared.Status, 2);
    EXPECT_NE(shared.Err.find("{n}"), std::string::npos) << shared.Err;

    // The numbers go on after those of an earlier run's files.
    WriteBytes("dump-4-COM7.bin", {1});
    const auto watch = Watch({"read-dseg", "dump-{n}-{port}.bin"});
    Ports.Serve(1, one);
    ASSERT_TRUE(watch->WaitForOutput(" ok ", 1));
    Ports.Serve(2, two);
    ASSERT_TRUE(watch->WaitForOutput(" ok ", 2));
    EXPECT_EQ(Stop(*watch).Status, 0);
    EXPECT_EQ(ReadBytes(File("dump-5-COM1.bin")), Pattern(16, 1));
    EXPECT_EQ(ReadBytes(File("dump-6-COM2.bin")), Pattern(16, 2));
}

TEST_F(Station, SerialDevicesAreChosenByUsbIdsOrByIdNames)
{
    EXPECT_EQ(Cli({"watch", "--match", "0403:60O1", "connect"}).Status, 2);
    EXPECT_EQ(Cli({"watch", "--match", "0403:6001", "--port", "COM1", "connect"}).Status, 2);
    EXPECT_EQ(Cli({"watch", "--port", "/dev/ttyUSB0", "connect"}).Status, 2);
    // The system's device announcements may not reach this machine; where they do, watching
    // starts and a stop ends it with nothing done.
    TCliProcess watch({"watch", "--match", "usb-Nothing_Here_*", "connect"}, Folder());
    if (!watch.WaitForError(kWatching)) {
        const TCliRun run = watch.Finish();
        EXPECT_EQ(run.Status, 1) << run.Err;
        GTEST_SKIP() << "device announcements cannot be followed here: " << run.Err;
    }
    const TCliRun run = Stop(watch);
    EXPECT_EQ(run.Status, 0) << run.Err;
    EXPECT_NE(run.Out.find("0 modules: 0 ok, 0 failed"), std::string::npos) << run.Out;
}

TEST_F(Station, WaitTakesAPortThatAppearsLaterAndGivesUpOnOneThatDoesNot)
{
    TCliProcess waiting({"--port", "COM6", "--wait", "30", "connect"}, Folder());
    ASSERT_TRUE(waiting.WaitForError("waiting up to 30 s for COM6")) << waiting.SoFar().Err;
    TModuleServer &module = Ports.Serve(6);
    const TCliRun run = waiting.Finish();
    EXPECT_EQ(run.Status, 0) << run.Err;
    EXPECT_EQ(Commands(module), "CQ");

    const TCliRun missing = Cli({"--port", "COM9", "--wait", "1", "--json", "connect"});
    EXPECT_EQ(missing.Status, 1);
    EXPECT_NE(missing.Out.find("\"kind\":\"not_found\""), std::string::npos) << missing.Out;
    EXPECT_GE(missing.Seconds, 1.0);

    // A stop while waiting ends the command before it connects, and says so plainly.
    TCliProcess stopped({"--port", "COM7", "--wait", "30", "connect"}, Folder());
    ASSERT_TRUE(stopped.WaitForError("waiting up to 30 s for COM7")) << stopped.SoFar().Err;
    stopped.Signal(SIGINT);
    const TCliRun ended = stopped.Finish();
    EXPECT_EQ(ended.Status, 130) << ended.Err;
    EXPECT_NE(ended.Err.find("stopped on request before connecting"), std::string::npos) << ended.Err;
}

} // namespace
} // namespace morlith::test
