// SPDX-License-Identifier: MIT
// Ports that are lines behind a device server: the port map naming addresses, --port with an
// address, and watch taking an entry that names one, against a real ser2net on 127.0.0.1.

#include "CliFixture.h"
#include "CliProcess.h"
#include "LinePresence.h"
#include "PortMap.h"
#include "Ser2net.h"

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <thread>
#include <filesystem>

namespace fs = std::filesystem;

namespace morlith::test {
namespace {

class NetworkPorts : public CliTest {
protected:
    // Serves modules as COM<number>... and puts one ser2net in front of them, in that order.
    std::vector<TModuleServer *> ServeBehindSer2net(const std::vector<int> &numbers)
    {
        std::vector<TModuleServer *> modules;
        std::vector<std::string> devices;
        for (int number : numbers) {
            modules.push_back(&Ports.Serve(number));
            devices.push_back(modules.back()->SlavePath());
        }
        EXPECT_TRUE(Ser2net::Installed()) << "ser2net is not installed (scripts/install-deps installs it)";
        fs::create_directories(File("ser2net"));
        Server = std::make_unique<Ser2net>(devices, File("ser2net"));
        return modules;
    }

    std::unique_ptr<Ser2net> Server;
};

TEST_F(NetworkPorts, TheMapStoresAnAddressAsTheLinkTargetAndListsIt)
{
    const std::string entry = PortMapDirectory() + "/COM7";
    const TCliRun map = Cli({"ports", "map", "COM7", "RFC2217://10.1.2.3:4001"});
    EXPECT_EQ(map.Status, 0) << map.Err;
    EXPECT_EQ(fs::read_symlink(entry).string(), "rfc2217://10.1.2.3:4001");

    const TCliRun raw = Cli({"ports", "map", "COM8", "socket://[::1]:4002"});
    EXPECT_EQ(raw.Status, 0) << raw.Err;
    EXPECT_NE(raw.Out.find("line settings are the server's"), std::string::npos) << raw.Out;

    const TCliRun list = Cli({"ports"});
    EXPECT_NE(list.Out.find("COM7 -> rfc2217://10.1.2.3:4001\n"), std::string::npos) << list.Out;
    EXPECT_NE(list.Out.find("COM8 -> socket://[::1]:4002\n"), std::string::npos) << list.Out;
    const TCliRun json = Cli({"ports", "--json"});
    EXPECT_NE(Unstamped(json.Out).find("{\"event\":\"port\",\"name\":\"COM7\",\"target\":\"rfc2217://10.1.2.3:4001\","
                                       "\"device\":\"rfc2217://10.1.2.3:4001\",\"exists\":true}"),
              std::string::npos)
        << json.Out;

    for (const char *bad : {"rfc2217://10.1.2.3", "socket://::1:4001", "rfc2217://host:0"}) {
        const TCliRun refused = Cli({"ports", "map", "COM9", bad});
        EXPECT_EQ(refused.Status, 2) << bad;
        EXPECT_FALSE(Exists(PortMapDirectory() + "/COM9")) << bad;
        EXPECT_EQ(Cli({"--port", bad, "connect"}).Status, 2) << bad;
    }
}

TEST_F(NetworkPorts, DeviceCommandsRunThroughAnAddressOrAMapEntryNamingOne)
{
    // ser2net refuses a connection to a line that another of its connections is still closing:
    // each kind has a module of its own.
    const auto modules = ServeBehindSer2net({3, 4});
    TModuleServer &viaRfc2217 = *modules[0];
    const std::vector<uint8_t> plain = Pattern(700, 4);
    const TCliRun write = Cli({"--port", Server->Rfc2217(0), "write-app", WritePackage("app.xml", plain, 0x40)});
    EXPECT_EQ(write.Status, 0) << write.Err;
    EXPECT_EQ(ProgramMemory(viaRfc2217), plain);

    ASSERT_EQ(Cli({"ports", "map", "COM7", Server->Socket(1)}).Status, 0);
    const TCliRun read = Cli({"--port", "COM7", "read-dseg", "dseg.bin"});
    EXPECT_EQ(read.Status, 0) << read.Err;
    EXPECT_NE(read.Err.find("COM7: raw TCP to 127.0.0.1:"), std::string::npos) << read.Err;
    EXPECT_EQ(ReadBytes(File("dseg.bin")),
              modules[1]->WithModule([](TVirtualModule &m) { return m.Controller(0).dataSegment; }));
}

TEST_F(NetworkPorts, NothingListeningIsNotFoundInTheStepOpening)
{
    const std::string address = "rfc2217://127.0.0.1:" + std::to_string(FreeTcpPort());
    const TCliRun run = Cli({"--json", "--port", address, "connect"});
    EXPECT_EQ(run.Status, 1) << run.Err;
    EXPECT_EQ(FieldOf(ResultOf(run), "kind"), "not_found") << run.Out;
    EXPECT_EQ(FieldOf(ResultOf(run), "step"), "opening " + address) << run.Out;
}

TEST_F(NetworkPorts, ANameServiceThatNeverAnswersEndsAtTheOpeningLimitOrAtOnceAtCtrlC)
{
    // The preloaded look-up blocks for 10 s on names ending in ".silent".
    setenv("LD_PRELOAD", MORLITH_SILENT_RESOLVER_SHIM, 1);
    const std::string address = "rfc2217://line.silent:4001";
    const auto start = std::chrono::steady_clock::now();
    const TCliRun run = Cli({"--json", "--port", address, "connect"});
    const auto tookMs = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
    EXPECT_EQ(run.Status, 1) << run.Err;
    EXPECT_EQ(FieldOf(ResultOf(run), "kind"), "no_reply") << run.Out;
    EXPECT_EQ(FieldOf(ResultOf(run), "step"), "opening " + address) << run.Out;
    EXPECT_LT(tookMs.count(), 3000 + 500) << run.Out;

    TCliProcess stopped({"--json", "--port", address, "connect"}, Folder());
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    const auto signalled = std::chrono::steady_clock::now();
    stopped.Signal(SIGINT);
    const TCliRun interrupted = stopped.Finish();
    const auto afterMs =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - signalled);
    unsetenv("LD_PRELOAD");
    EXPECT_EQ(FieldOf(ResultOf(interrupted), "kind"), "stopped") << interrupted.Out;
    EXPECT_LT(afterMs.count(), 50 + 200) << "the look-up's wait looks at the stop request every 50 ms";
}

TEST_F(NetworkPorts, WatchTakesAMapEntryThatAppearsNamingAnAddress)
{
    TModuleServer &module = *ServeBehindSer2net({2})[0];
    // Reachable only through ser2net: the module's own entry goes, the module serves on.
    fs::remove(PortMapDirectory() + "/COM2");
    TCliProcess watch({"watch", "connect"}, Folder());
    ASSERT_TRUE(watch.WaitForError("watching ")) << watch.SoFar().Err;
    fs::create_symlink(Server->Rfc2217(), PortMapDirectory() + "/COM4");
    ASSERT_TRUE(watch.WaitForOutput("COM4  ok", 1)) << watch.SoFar().Err;
    watch.Signal(SIGINT);
    const TCliRun run = watch.Finish();
    EXPECT_EQ(run.Status, 0) << run.Err;
    EXPECT_NE(run.Out.find("1 ok, 0 failed"), std::string::npos) << run.Out;
    EXPECT_EQ(Commands(module), "CQ");
}

// A line behind a device server is looked at without a byte sent to it: each module put on the
// line is taken once, and the one taken out and the next one put in are both seen.
TEST_F(NetworkPorts, WatchTakesEachModulePutOnALineBehindADeviceServer)
{
    ASSERT_TRUE(Ser2net::Installed()) << "ser2net is not installed (scripts/install-deps installs it)";
    const std::string line = File("line");
    fs::create_directories(File("ser2net"));
    // The server's line is a link that each module's device is put behind in turn.
    Ser2net server({line}, File("ser2net"));
    int number = 1;
    for (const bool raw : {false, true}) {
        SCOPED_TRACE(raw ? "socket://" : "rfc2217://");
        fs::create_symlink(raw ? server.Socket() : server.Rfc2217(), PortMapDirectory() + "/COM9");
        TCliProcess watch({"watch", "--port", "COM9", "connect"}, Folder());
        ASSERT_TRUE(watch.WaitForError("watching ")) << watch.SoFar().Err;
        for (int put = 1; put <= 2; ++put, ++number) {
            TModuleServer &module = Ports.Serve(number);
            fs::create_symlink(module.SlavePath(), line);
            ASSERT_TRUE(watch.WaitForOutput("COM9  ok", size_t(put))) << watch.SoFar().Err;
            // Left on the line and looked at again and again, it is not taken twice.
            std::this_thread::sleep_for(std::chrono::milliseconds(4 * kLinePollMs));
            EXPECT_EQ(Commands(module), "CQ");
            // Taken out (its device goes) for as long as an operator takes to put the next one in.
            Ports.Unlink(number);
            fs::remove(line);
            std::this_thread::sleep_for(std::chrono::milliseconds((kLineMissesForGone + 2) * kLinePollMs));
        }
        watch.Signal(SIGINT);
        const TCliRun run = watch.Finish();
        EXPECT_EQ(run.Status, 0) << run.Err;
        EXPECT_NE(run.Out.find("2 modules: 2 ok, 0 failed"), std::string::npos) << run.Out;
        fs::remove(PortMapDirectory() + "/COM9");
    }
}

} // namespace
} // namespace morlith::test
