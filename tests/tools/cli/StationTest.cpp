// SPDX-License-Identifier: MIT
// Station mode against virtual modules linked into the port map while `watch` runs, and --wait.

#include "CliFixture.h"
#include "JsonLines.h"
#include "NumberText.h"
#include "PortMap.h"
#include "Sha256.h"
#include "TerminalRun.h"

#include <algorithm>
#include <csignal>
#include <cstdlib>
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
    // Starts `watch` with `arguments` on a terminal `columns` wide, as an operator does, and waits
    // until it watches.
    std::unique_ptr<TTerminalRun> WatchOnTerminal(const std::vector<std::string> &arguments, unsigned short columns)
    {
        std::vector<std::string> words = {"watch"};
        words.insert(words.end(), arguments.begin(), arguments.end());
        auto run = std::make_unique<TTerminalRun>(words, Folder(), columns, 24,
                                                  TTerminalRun::TStreams::tsOutputAndError);
        EXPECT_TRUE(run->ReadUntil(kWatching)) << run->Text;
        return run;
    }
    // Stops a watch on a terminal and returns what the terminal shows at the end.
    static std::vector<std::string> StopOnTerminal(TTerminalRun &run, int expectedStatus)
    {
        run.Signal(SIGINT);
        EXPECT_EQ(run.Finish(), expectedStatus) << run.Text;
        return ScreenOf(run.Text, 24, run.Resizes);
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

    const auto pinned = Watch({"write-app", package, "--expect-sha256", Sha256Hex(second.data(), second.size()),
                               "--log", "pinned.jsonl"});
    WritePackage("app.xml", Pattern(200, 3));
    const std::vector<uint8_t> third = ReadBytes(package);
    TModuleServer &three = Ports.Serve(3);
    ASSERT_TRUE(pinned->WaitForOutput(" failed ", 1)) << pinned->SoFar().Err;
    const TCliRun refused = Stop(*pinned);
    EXPECT_EQ(refused.Status, 1) << refused.Err;
    EXPECT_NE(refused.Out.find("changed and is refused"), std::string::npos) << refused.Out;
    EXPECT_EQ(Commands(three), "") << "nothing is sent to a module whose input is refused";
    // The record names the refused file by what it holds now, not by the content pinned.
    const std::vector<uint8_t> pinnedLog = ReadBytes(File("pinned.jsonl"));
    const auto record = ParseJsonLine(std::string(pinnedLog.begin(), pinnedLog.end() - 1));
    ASSERT_TRUE(record);
    EXPECT_EQ(JsonTextOf(*JsonField(*record, "package"), "sha256"), Sha256Hex(third.data(), third.size()));
    EXPECT_EQ(JsonTextOf(*JsonField(*record, "error"), "kind"), "refused_input");
    EXPECT_EQ(JsonTextOf(*JsonField(*record, "error"), "path"), package);
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

// The short socket names are read before watching starts: a bad line stops it, named, while
// port names do not read the file.
TEST_F(Station, ABadSocketNameFileStopsTheWatchBeforeItStarts)
{
    const std::string file = PortMapDirectory() + "/../socket-names";
    std::ofstream(file) << "pci-0000:00:14.0-usb-0:3:1.0 = left\nright\n";
    const TCliRun refused = Cli({"watch", "--socket-names", "id-path", "connect"});
    EXPECT_EQ(refused.Status, 2) << refused.Err;
    EXPECT_NE(refused.Err.find("socket-names, line 2: not LOCATION = NAME"), std::string::npos) << refused.Err;
    EXPECT_EQ(refused.Err.find(kWatching), std::string::npos) << refused.Err;

    const auto watch = Watch({"--socket-names", "port", "connect"});
    EXPECT_EQ(Stop(*watch).Status, 0);
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

// On a terminal, watch draws one line per socket and redraws it in place: at the end the screen
// holds each socket once, in its last state, the lot's counts and the run's counts, and no line
// reaches the terminal's last column.
TEST_F(Station, OnATerminalEachSocketHasOneLineRedrawnInPlace)
{
    const std::string package = WritePackage("app.xml", Pattern(600, 1));
    const std::string large = WritePackage("large.xml", Pattern(5000, 2));
    TModuleServerOptions silentAfterHandshake;
    silentAfterHandshake.faults.noReplyFrames = {3, 4, 5, 6};
    TModuleServerOptions paced;
    paced.bitRate = 19200;
    TModuleServerOptions hangsUpAtTheSecondStep;
    hangsUpAtTheSecondStep.faults.hangUpAfterFrames = 12;
    WriteSerialRecipe("unit.toml");
    struct TUnit {
        int port;
        TModuleServerOptions options;
        const char *during; // shown while it works; "" for nothing to wait for
        const char *ended; // its line once it ended
    };
    struct Case {
        const char *name;
        std::vector<std::string> arguments;
        unsigned short columns;
        std::vector<int> before; // modules there when watching starts
        std::vector<TUnit> units;
        int status;
        std::vector<std::string> screen; // each line's start, in order, below "watching ..."
    };
    const Case cases[] = {
        {"a good and a failing unit", {"--timeout", "200", "write-app", package}, 100, {},
         {{1, {}, "", "COM1  ok in "}, {2, silentAfterHandshake, "", "COM2  failed: no_reply at step 1 of 1: write-app"}},
         1,
         {"COM1  ok in ", "COM2  failed: no_reply at step 1 of 1: write-app",
          "this run: 2 units, 1 ok, 1 failed, yield 50.0 %", "2 modules: 1 ok, 1 failed"}},
        {"a unit being written shows its step and progress", {"write-app", large}, 100, {},
         {{3, paced, "COM3  step 1 of 1: write-app ", "COM3  ok in "}}, 0,
         {"COM3  ok in ", "this run: 1 unit, 1 ok, 0 failed, yield 100.0 %", "1 module: 1 ok, 0 failed"}},
        {"a unit there before the start is left alone; sockets in order", {"connect"}, 100, {10},
         {{9, {}, "", "COM9   ok"}}, 0,
         {"COM9   ok", "COM10  left alone: plug the unit in again to start",
          "this run: 1 unit, 1 ok, 0 failed, yield 100.0 %", "1 module: 1 ok, 0 failed"}},
        {"a recipe's units show their serial numbers and the step that failed", {"run", "unit.toml"}, 100, {},
         {{6, {}, "", "COM6  #1041  ok in "},
          {7, hangsUpAtTheSecondStep, "", "COM7  #1042  failed: hangup at step 2 of 4: write-app main.xml, controller 3"}},
         1,
         {"COM6  #1041  ok in ", "COM7  #1042  failed: hangup at step 2 of 4: write-app main.xml, controller 3",
          "lot L-17: 2 units, 1 ok, 1 failed, yield 50.0 %", "2 modules: 1 ok, 1 failed"}},
        // A pseudo-terminal has no USB port: its socket keeps the port's name.
        {"a narrow terminal cuts lines at a character",
         {"--lot", "Партия-2026-12-07-вечер", "--socket-names", "id-path", "connect"}, 24, {},
         {{5, {}, "", "COM5  ok"}}, 0,
         {"COM5  ok", "lot Партия-2026-12-07-…", "1 module: 1 ok, 0 failed"}},
        // Wide characters take two columns each: the line is cut, not wrapped.
        {"a lot named in Japanese on a 30-column terminal", {"--lot", "東京ライン-夜勤-第二", "connect"}, 30, {},
         {{5, {}, "", "COM5  ok"}}, 0,
         {"COM5  ok", "lot 東京ライン-夜勤-第二: 1 …", "1 module: 1 ok, 0 failed"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        for (const int port : c.before)
            Ports.Serve(port);
        const auto watch = WatchOnTerminal(c.arguments, c.columns);
        for (const TUnit &unit : c.units) {
            Ports.Serve(unit.port, unit.options);
            if (*unit.during) {
                EXPECT_TRUE(watch->ReadUntil(unit.during)) << watch->Text;
            }
            ASSERT_TRUE(watch->ReadUntil(unit.ended)) << watch->Text;
        }
        std::vector<std::string> screen = StopOnTerminal(*watch, c.status);
        ASSERT_FALSE(screen.empty());
        EXPECT_EQ(screen.front().rfind(kWatching, 0), 0u) << screen.front();
        screen.erase(screen.begin());
        ASSERT_EQ(screen.size(), c.screen.size()) << watch->Text;
        for (size_t i = 0; i < screen.size(); ++i) {
            EXPECT_EQ(screen[i].rfind(c.screen[i], 0), 0u) << "line " << i << ": " << screen[i];
            // The run's counts are said below the board, as a line of their own.
            if (i + 1 < screen.size()) {
                EXPECT_LT(DisplayWidth(screen[i]), c.columns) << screen[i];
            }
        }
        for (const int port : c.before)
            Ports.Unlink(port);
        for (const TUnit &unit : c.units)
            Ports.Unlink(unit.port);
    }
}

// The lot's counts are those of its records in the production log: they go on where the last run
// left them and count what a watch without a terminal logged; without a terminal, or with --json,
// watch writes its lines as before.
TEST_F(Station, TheLotsCountsComeFromTheLogAndOnlyATerminalGetsTheBoard)
{
    const std::string log = Folder() + "/station.jsonl";
    for (const char *expected : {"lot L-7: 1 unit, 1 ok, 0 failed, yield 100.0 %",
                                 "lot L-7: 2 units, 2 ok, 0 failed, yield 100.0 %"}) {
        const auto watch = WatchOnTerminal({"--lot", "L-7", "--log", log, "connect"}, 80);
        Ports.Serve(1);
        ASSERT_TRUE(watch->ReadUntil("COM1  ok")) << watch->Text;
        // A narrower window is followed while nothing happens; shrunk and grown again, it shows
        // the board once.
        watch->Resize(30);
        ASSERT_TRUE(watch->ReadUntil("\xE2\x80\xA6")) << watch->Text;
        watch->Resize(80);
        ASSERT_TRUE(watch->ReadUntil("yield 100.0 %")) << watch->Text;
        const std::vector<std::string> screen = StopOnTerminal(*watch, 0);
        ASSERT_GE(screen.size(), 2u);
        EXPECT_EQ(screen[screen.size() - 2], expected) << watch->Text;
        EXPECT_EQ(std::count_if(screen.begin(), screen.end(),
                                [](const std::string &line) { return line.rfind("COM1", 0) == 0; }),
                  1)
            << watch->Text;
        EXPECT_EQ(std::count_if(screen.begin(), screen.end(),
                                [](const std::string &line) { return line.rfind("lot L-7", 0) == 0; }),
                  1)
            << watch->Text;
        Ports.Unlink(1);
    }
    // Another lot starts from nothing.
    const auto other = WatchOnTerminal({"--lot", "L-8", "--log", log, "connect"}, 80);
    EXPECT_TRUE(other->ReadUntil("lot L-8: 0 units, 0 ok, 0 failed, yield -")) << other->Text;
    StopOnTerminal(*other, 0);

    const auto json = std::make_unique<TTerminalRun>(std::vector<std::string>{"--json", "watch", "connect"}, Folder(),
                                                     80, 24, TTerminalRun::TStreams::tsOutputAndError);
    ASSERT_TRUE(json->ReadUntil(kWatching)) << json->Text;
    Ports.Serve(2);
    ASSERT_TRUE(json->ReadUntil("\"event\":\"result\"")) << json->Text;
    json->Signal(SIGINT);
    EXPECT_EQ(json->Finish(), 0);
    EXPECT_EQ(json->Text.find('\033'), std::string::npos) << json->Text;

    const auto piped = Watch({"--lot", "L-7", "--log", log, "connect"});
    Ports.Serve(3);
    ASSERT_TRUE(piped->WaitForOutput("COM3  ok")) << piped->SoFar().Err;
    const TCliRun run = Stop(*piped);
    EXPECT_EQ(run.Out.find('\033'), std::string::npos) << run.Out;
    EXPECT_NE(run.Out.find("1 module: 1 ok, 0 failed"), std::string::npos) << run.Out;
    Ports.Unlink(3);
    // What the watch without a terminal logged is the lot's too.
    const auto again = WatchOnTerminal({"--lot", "L-7", "--log", log, "connect"}, 80);
    EXPECT_TRUE(again->ReadUntil("lot L-7: 3 units, 3 ok, 0 failed, yield 100.0 %")) << again->Text;
    StopOnTerminal(*again, 0);
}

// A failing socket's line is red on a terminal that has colour; NO_COLOR, a dumb terminal or no
// terminal at all get none.
TEST_F(Station, ColourOnlyWhereTheTerminalHasItAndNobodyDeclinedIt)
{
    TModuleServerOptions silent;
    silent.faults.silent = true;
    struct Case {
        const char *name;
        const char *term;
        const char *noColour; // nullptr: not set
        bool colour;
    };
    const Case cases[] = {
        {"a terminal with colour", "xterm-256color", nullptr, true},
        {"NO_COLOR set", "xterm-256color", "1", false},
        {"NO_COLOR empty counts as not set", "xterm-256color", "", true},
        {"a dumb terminal", "dumb", nullptr, false},
    };
    const char *term = std::getenv("TERM");
    const std::string termBefore = term ? term : "";
    int port = 1;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        setenv("TERM", c.term, 1);
        if (c.noColour)
            setenv("NO_COLOR", c.noColour, 1);
        else
            unsetenv("NO_COLOR");
        const auto watch = WatchOnTerminal({"--timeout", "100", "connect"}, 80);
        Ports.Serve(port, silent);
        ASSERT_TRUE(watch->ReadUntil("failed: no_reply")) << watch->Text;
        StopOnTerminal(*watch, 1);
        const std::string red = "\033[1;31mCOM" + std::to_string(port) + "  failed: no_reply";
        EXPECT_EQ(watch->Text.find(red) != std::string::npos, c.colour) << watch->Text;
        EXPECT_EQ(watch->Text.find("\033[0m") != std::string::npos, c.colour) << watch->Text;
        Ports.Unlink(port++);
    }
    unsetenv("NO_COLOR");
    if (term)
        setenv("TERM", termBefore.c_str(), 1);
    else
        unsetenv("TERM");
}

} // namespace
} // namespace morlith::test
