// SPDX-License-Identifier: MIT
// What morlith-cli says when the port or the module fails: the failure kind and step of every
// fault in the JSON result, a hang-up told at once, and a stop request that ends any wait.

#include "CliFixture.h"
#include "PortMap.h"

#include <csignal>
#include <filesystem>
#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace morlith::test {
namespace {

using FailureKinds = CliTest;

std::string KindOf(const TCliRun &run) { return FieldOf(ResultOf(run), "kind"); }
std::string StepOf(const TCliRun &run) { return FieldOf(ResultOf(run), "step"); }

TEST_F(FailureKinds, AMissingDeviceBehindThePortMapIsNotFoundAndFailsOnlyItsOwnPort)
{
    Ports.Link(7, File("ttyUSB9"));
    const TCliRun one = Cli({"--json", "--port", "COM7", "connect"});
    EXPECT_EQ(one.Status, 1) << one.Err;
    EXPECT_EQ(KindOf(one), "not_found") << one.Out;
    EXPECT_NE(one.Err.find("COM7 -> " + File("ttyUSB9") + ": no such device"), std::string::npos) << one.Err;
    EXPECT_EQ(CountOf(one.Err, "COM7"), 1u) << "the port is named once: " << one.Err;

    // A device path that does not exist is the same device problem.
    const TCliRun path = Cli({"--json", "--port", File("ttyUSB8"), "connect"});
    EXPECT_EQ(path.Status, 1);
    EXPECT_EQ(KindOf(path), "not_found") << path.Out;

    TModuleServer &module = Ports.Serve(1);
    const TCliRun several = Cli({"--port", "COM1,COM7", "connect"});
    EXPECT_EQ(several.Status, 1);
    EXPECT_EQ(Commands(module), "CQ") << "the other port still ran";
    EXPECT_NE(several.Out.find("COM1  ok"), std::string::npos) << several.Out;
    EXPECT_NE(several.Out.find("COM7  failed"), std::string::npos) << several.Out;
}

TEST_F(FailureKinds, APortHeldByAnotherProgramIsBusy)
{
    TModuleServer &module = Ports.Serve(3);
    const int holder = ::open(module.SlavePath().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_GE(holder, 0);
    ASSERT_EQ(::flock(holder, LOCK_EX | LOCK_NB), 0);
    const TCliRun run = Cli({"--json", "--port", "COM3", "connect"});
    ::close(holder);
    EXPECT_EQ(run.Status, 1);
    EXPECT_EQ(KindOf(run), "busy") << run.Out;
    EXPECT_TRUE(Commands(module).empty());
}

// A second tool refused as busy opens and closes the port under a running write: the module's
// session (its selected controller, its write) goes on and the write ends good.
TEST_F(FailureKinds, ABusyAttemptDuringAWriteLeavesTheWriteGood)
{
    TModuleServerOptions paced;
    paced.bitRate = 19200;
    TModuleServer &module = Ports.Serve(3, paced);
    const std::vector<uint8_t> plain = Pattern(3000, 7);
    WritePackage("app.xml", plain);
    TCliProcess writer({"--verbose", "--port", "COM3", "--mcu", "2", "write-app", "app.xml"}, Folder());
    ASSERT_TRUE(writer.WaitForError("COM3 -> W"));
    const TCliRun busy = Cli({"--json", "--port", "COM3", "connect"});
    EXPECT_EQ(busy.Status, 1) << busy.Err;
    EXPECT_EQ(KindOf(busy), "busy") << busy.Out;
    const TCliRun written = writer.Finish();
    EXPECT_EQ(written.Status, 0) << written.Err << "\nmodule saw:\n" << Trace(module);
    EXPECT_EQ(ProgramMemory(module, 2), plain);
}

TEST_F(FailureKinds, ADeviceTheUserMayNotOpenIsAPermissionFailure)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to run the tool as an unprivileged user";
    const passwd *nobody = ::getpwnam("nobody");
    if (nobody == nullptr)
        GTEST_SKIP() << "no user 'nobody' on this machine";
    TModuleServer &module = Ports.Serve(3);
    ASSERT_EQ(::chmod(module.SlavePath().c_str(), 0600), 0);
    TCliProcess tool({"--json", "--port", module.SlavePath(), "connect"}, "/", nobody->pw_uid);
    const TCliRun run = tool.Finish();
    EXPECT_EQ(run.Status, 1) << run.Err;
    EXPECT_EQ(KindOf(run), "permission") << run.Out;
    struct stat device {};
    ASSERT_EQ(::stat(module.SlavePath().c_str(), &device), 0);
    const group *owner = ::getgrgid(device.st_gid);
    ASSERT_NE(owner, nullptr);
    EXPECT_NE(run.Err.find("group \"" + std::string(owner->gr_name) + "\""), std::string::npos)
        << "names the group that owns the device: " << run.Err;
}

// The module goes away at each kind of step; the failure is a hang-up named with its step, told
// long before the (long) reply limit, and a new module on the port works at once.
TEST_F(FailureKinds, AModuleThatGoesAwayIsAHangUpAtEveryStep)
{
    const std::string package = WritePackage("app.xml", Pattern(500, 3)); // 10 chunks
    const std::string data = WriteBytes("data.bin", Pattern(120, 4));
    struct Case {
        std::vector<std::string> command;
        unsigned answeredFrames;
        const char *step;
    };
    const Case cases[] = {
        {{"--mcu", "2", "connect"}, 1, "selecting controller 2"},
        {{"write-app", package}, 1, "writing the parameter block"},
        {{"write-app", package}, 8, "application chunk 5 of 10"},
        {{"write-app", package}, 13, "application chunk 10 of 10"},
        {{"read-dseg", File("out.bin")}, 2, "reading the data segment (64 bytes)"},
        {{"write-dseg", data, "--force"}, 4, "data-segment chunk 2 of 3"},
    };
    for (const Case &c : cases) {
        TModuleServerOptions options;
        options.dataSegmentBytes = 64;
        options.faults.hangUpAfterFrames = c.answeredFrames;
        Ports.Serve(4, options);
        std::vector<std::string> arguments = {"--json", "--verbose", "--port", "COM4", "--timeout", "20000"};
        arguments.insert(arguments.end(), c.command.begin(), c.command.end());
        const TCliRun run = Cli(arguments);
        EXPECT_EQ(run.Status, 1) << c.step << "\n" << run.Err;
        EXPECT_EQ(KindOf(run), "hangup") << c.step << "\n" << run.Out;
        EXPECT_EQ(StepOf(run), c.step) << run.Out;
        EXPECT_LT(run.Seconds, 10.0) << "told at once, not after the reply limit";
        EXPECT_EQ(run.Err.find("-> Q"), std::string::npos) << "no goodbye to a port that went away";
        EXPECT_FALSE(std::filesystem::exists(File("out.bin")));

        TModuleServer &fresh = Ports.Serve(4);
        EXPECT_EQ(Cli({"--port", "COM4", "connect"}).Status, 0) << c.step;
        EXPECT_EQ(Commands(fresh), "CQ");
    }
}

// Bytes after a complete reply are a bad reply at the step whose reply they followed, not at the
// next one.
TEST_F(FailureKinds, JunkAfterAReplyIsABadReplyAtItsOwnStep)
{
    struct Case {
        std::vector<std::string> command;
        unsigned junkAfterFrame;
        const char *step;
        const char *frames; // what the module received: nothing after the failed exchange but a goodbye
    };
    const Case cases[] = {
        {{"connect"}, 1, "connecting", "C"},
        {{"read-dseg", File("out.bin")}, 2, "reading the parameter block", "CPQ"},
    };
    for (const Case &c : cases) {
        TModuleServerOptions options;
        options.dataSegmentBytes = 64;
        options.faults.trailingFrames = {c.junkAfterFrame};
        TModuleServer &module = Ports.Serve(4, options);
        std::vector<std::string> arguments = {"--json", "--port", "COM4"};
        arguments.insert(arguments.end(), c.command.begin(), c.command.end());
        const TCliRun run = Cli(arguments);
        EXPECT_EQ(run.Status, 1) << c.step << "\n" << run.Err;
        EXPECT_EQ(KindOf(run), "bad_reply") << c.step << "\n" << run.Out;
        EXPECT_EQ(StepOf(run), c.step) << run.Out;
        EXPECT_EQ(Commands(module), c.frames) << c.step;
        EXPECT_FALSE(std::filesystem::exists(File("out.bin")));
    }
}

TEST_F(FailureKinds, AnUnplugDuringTheHandshakeIsAHangUp)
{
    TModuleServerOptions silent;
    silent.faults.silent = true;
    TModuleServer &module = Ports.Serve(3, silent);
    TCliProcess tool({"--json", "--verbose", "--port", "COM3", "--timeout", "20000", "connect"}, Folder());
    ASSERT_TRUE(tool.WaitForError("COM3 -> C"));
    module.Stop();
    const TCliRun run = tool.Finish();
    EXPECT_EQ(run.Status, 1) << run.Err;
    EXPECT_EQ(KindOf(run), "hangup") << run.Out;
    EXPECT_EQ(StepOf(run), "connecting");
    EXPECT_LT(run.Seconds, 10.0);
}

TEST_F(FailureKinds, ASilentModuleIsNoReplyAndAStopEndsEvenALongWait)
{
    TModuleServerOptions silent;
    silent.faults.silent = true;
    Ports.Serve(3, silent);
    const TCliRun quiet = Cli({"--json", "--port", "COM3", "--timeout", "200", "write-dseg", WriteBytes("d.bin", {1})});
    EXPECT_EQ(quiet.Status, 1);
    EXPECT_EQ(KindOf(quiet), "no_reply") << quiet.Out;
    EXPECT_EQ(StepOf(quiet), "connecting");
    const nlohmann::json error = ResultOf(quiet)["error"];
    EXPECT_EQ(error.value("command", ""), "C") << quiet.Out;
    EXPECT_EQ(error.value("bytes_expected", -1), 9) << quiet.Out;
    EXPECT_EQ(error.value("bytes_received", -1), 0) << quiet.Out;

    TCliProcess tool({"--json", "--verbose", "--port", "COM3", "--timeout", "600000", "connect"}, Folder());
    ASSERT_TRUE(tool.WaitForError("COM3 -> C"));
    tool.Signal(SIGTERM);
    const TCliRun stopped = tool.Finish();
    EXPECT_EQ(stopped.Status, 130) << stopped.Err;
    EXPECT_EQ(KindOf(stopped), "stopped") << stopped.Out;
    EXPECT_LT(stopped.Seconds, 10.0) << "not the ten-minute reply limit";
}

TEST_F(FailureKinds, AHangUpSignalOrASecondSignalLeavesNoTemporaryFile)
{
    TModuleServerOptions slow;
    slow.dataSegmentBytes = 65535;
    slow.bitRate = 19200; // the reply takes half a minute
    for (const bool twice : {false, true}) {
        Ports.Serve(3, slow);
        TCliProcess tool({"--verbose", "--port", "COM3", "read-dseg", "--force", "segment.bin"}, Folder());
        ASSERT_TRUE(tool.WaitForError("COM3 -> D"));
        tool.Signal(twice ? SIGINT : SIGHUP);
        if (twice)
            tool.Signal(SIGINT);
        const TCliRun run = tool.Finish();
        EXPECT_TRUE(run.Status == 130 || run.Status == 128 + SIGINT) << run.Status << " " << run.Err;
        EXPECT_LT(run.Seconds, 10.0);
        EXPECT_EQ(TemporaryFilesIn(Folder()), std::vector<std::string>{}) << (twice ? "two signals" : "SIGHUP");
        EXPECT_FALSE(std::filesystem::exists(File("segment.bin")));
    }
}

TEST_F(FailureKinds, UsageErrorsAreJsonUnderJson)
{
    const TCliRun run = Cli({"--json", "--bogus", "connect"});
    EXPECT_EQ(run.Status, 2);
    EXPECT_EQ(KindOf(run), "refused_input") << run.Out;
    EXPECT_EQ(CountOf(run.Out, "\n"), 1u) << run.Out;
    EXPECT_EQ(run.Out.rfind("{\"event\":\"result\",\"schema\":1,", 0), 0u) << run.Out;
}

} // namespace
} // namespace morlith::test
