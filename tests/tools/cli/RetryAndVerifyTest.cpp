// SPDX-License-Identifier: MIT
// --retries (the connect handshake only, never a write) and write-app --verify (the parameter
// block read back against the header written).

#include "CliFixture.h"

namespace morlith::test {
namespace {

using RetryAndVerify = CliTest;

TEST_F(RetryAndVerify, AHandshakeLeftUnansweredIsTriedAgainAfterAPause)
{
    TModuleServerOptions options;
    options.faults.noReplyFrames = {1};
    TModuleServer &module = Ports.Serve(1, options);
    const TCliRun run = Cli({"-p1", "--timeout", "200", "--retries", "2", "-v", "connect"});
    EXPECT_EQ(run.Status, 0) << run.Err;
    EXPECT_EQ(Commands(module), "CCQ");
    EXPECT_NE(run.Err.find("trying again (1 of 2)"), std::string::npos) << run.Err;
    // The unanswered handshake's limit, then the pause before the next one.
    EXPECT_GE(run.Seconds, 0.2 + 0.5);
}

TEST_F(RetryAndVerify, RetriesEndAndAreNeverSpentOnAWriteOrAMissingPort)
{
    TModuleServerOptions silent;
    silent.faults.silent = true;
    TModuleServer &mute = Ports.Serve(1, silent);
    EXPECT_EQ(Cli({"-p1", "--timeout", "100", "--retries", "2", "connect"}).Status, 1);
    EXPECT_EQ(Commands(mute), "CCC");

    TModuleServerOptions lostWrite;
    lostWrite.faults.noReplyFrames = {3}; // the parameter block's "W"
    TModuleServer &module = Ports.Serve(2, lostWrite);
    const std::string package = WritePackage("app.xml", Pattern(100, 1));
    const TCliRun write = Cli({"-p2", "--timeout", "200", "--retries", "3", "write-app", package});
    EXPECT_EQ(write.Status, 1) << write.Err;
    const std::string commands = Commands(module);
    EXPECT_EQ(CountOf(commands, "C"), 1u) << commands;
    EXPECT_EQ(CountOf(commands, "W"), 1u) << commands;

    const TCliRun missing = Cli({"-p9", "--retries", "3", "-v", "--json", "connect"});
    EXPECT_EQ(missing.Status, 1);
    EXPECT_NE(missing.Out.find("\"kind\":\"not_found\""), std::string::npos) << missing.Out;
    EXPECT_EQ(missing.Err.find("trying again"), std::string::npos) << missing.Err;
}

TEST_F(RetryAndVerify, VerifyReadsTheParameterBlockBack)
{
    TModuleServer &module = Ports.Serve(1);
    const std::string package = WritePackage("app.xml", Pattern(300, 2), 48);
    const TCliRun run = Cli({"-p1", "--verify", "write-app", package});
    EXPECT_EQ(run.Status, 0) << run.Err;
    EXPECT_NE(run.Out.find("parameter block read back and verified"), std::string::npos) << run.Out;
    // The write, then one more "P".
    const std::string commands = Commands(module);
    EXPECT_EQ(commands.substr(commands.size() - 2), "PQ") << commands;
}

TEST_F(RetryAndVerify, ABlockThatReadsBackDifferentlyFailsWithBothBlocks)
{
    TModuleServer *server = nullptr;
    TModuleServerOptions options;
    // The module keeps another data-segment length than it was sent, as a faulty flash would.
    options.onFrame = [&server](const TTraceEntry &entry) {
        if (entry.number == 3)
            server->WithModule([](TVirtualModule &m) { m.Controller(0).parameterBlock[2] ^= 0x0100; });
    };
    server = &Ports.Serve(1, options);
    const std::string package = WritePackage("app.xml", Pattern(300, 2), 0x0030);
    const TCliRun run = Cli({"-p1", "--verify", "--json", "write-app", package});
    EXPECT_EQ(run.Status, 1) << run.Err;
    EXPECT_NE(run.Out.find("\"kind\":\"bad_reply\",\"step\":\"verification\""), std::string::npos) << run.Out;
    EXPECT_NE(run.Out.find("reads back as 0x012C "), std::string::npos) << run.Out;
    EXPECT_NE(run.Out.find(" 0x0130 "), std::string::npos) << run.Out;
    EXPECT_NE(run.Out.find("the header written was 0x012C "), std::string::npos) << run.Out;
    EXPECT_NE(run.Out.find(" 0x0030 "), std::string::npos) << run.Out;
    // The image went out whole: the module holds it, whatever its block says.
    EXPECT_NE(run.Out.find("\"module_state\":\"application written\""), std::string::npos) << run.Out;
}

} // namespace
} // namespace morlith::test
