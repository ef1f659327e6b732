// SPDX-License-Identifier: MIT
// Faults on request, and the line pacing: what the host sees of a misbehaving or slow module.

#include "HostPort.h"

#include "ModuleServer.h"

#include <gtest/gtest.h>

#include <iterator>
#include <poll.h>

using namespace morlith;
using namespace morlith::test;
using Bytes = std::vector<uint8_t>;
using Clock = std::chrono::steady_clock;

namespace {

const Bytes kQuitReply = WithCrc({'Q', 0});

TModuleServerOptions WithFaults(TFaultPlan faults)
{
    TModuleServerOptions options;
    options.faults = std::move(faults);
    return options;
}

long MsSince(Clock::time_point start)
{
    return long(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
}

} // namespace

TEST(Faults, NoReplyToFrameKActsOnItButLosesTheReply)
{
    TFaultPlan faults;
    faults.noReplyFrames = {2};
    TRunningModule module(WithFaults(faults));
    THostPort &host = module.Host();
    EXPECT_EQ(host.Exchange('Q', {}, 2), kQuitReply);
    ASSERT_TRUE(host.SendRequest('I', {3}));
    EXPECT_TRUE(host.Read(1, kQuietWait).empty());
    EXPECT_EQ(host.Exchange('C', HandshakePayload(), 7), WithCrc({'K', 'E', 'V', 1, 0, 3, 5}));
}

TEST(Faults, BadCrcAtFrameKKeepsTheLength)
{
    TFaultPlan faults;
    faults.badCrcFrames = {1};
    TRunningModule module(WithFaults(faults));
    THostPort &host = module.Host();
    const Bytes reply = host.Exchange('Q', {}, 2);
    ASSERT_EQ(reply.size(), 4u);
    EXPECT_FALSE(CrcHolds(reply));
    EXPECT_EQ(Bytes(reply.begin(), reply.begin() + 3), Bytes(kQuitReply.begin(), kQuitReply.begin() + 3));
    EXPECT_EQ(host.Exchange('Q', {}, 2), kQuitReply);
}

TEST(Faults, SilentModuleTracesButNeverAnswers)
{
    TFaultPlan faults;
    faults.silent = true;
    TRunningModule module(WithFaults(faults));
    THostPort &host = module.Host();
    ASSERT_TRUE(host.SendRequest('C', HandshakePayload()));
    ASSERT_TRUE(host.SendRequest('Q'));
    ASSERT_TRUE(module.Server().Trace().WaitForSize(2, kReplyWait));
    EXPECT_TRUE(host.Read(1, kQuietWait).empty());
    EXPECT_EQ(module.Server().Trace().Entries()[0].verdict, TFrameVerdict::fvAccepted);
}

// Stray bytes on request: noise before the reply to frame k, or junk after it. Only frame k has
// them, and the module answers the next frame as usual.
TEST(Faults, StrayBytesAroundTheReplyToFrameK)
{
    for (const bool trailing : {false, true}) {
        TFaultPlan faults;
        (trailing ? faults.trailingFrames : faults.noiseFrames) = {1};
        TRunningModule module(WithFaults(faults));
        THostPort &host = module.Host();
        ASSERT_TRUE(host.SendRequest('Q'));
        Bytes expected = trailing ? kQuitReply : Bytes(std::begin(kNoiseBytes), std::end(kNoiseBytes));
        if (trailing)
            expected.insert(expected.end(), std::begin(kTrailingBytes), std::end(kTrailingBytes));
        else
            expected.insert(expected.end(), kQuitReply.begin(), kQuitReply.end());
        EXPECT_EQ(host.Read(expected.size() + 1, kQuietWait), expected) << (trailing ? "junk after" : "noise before");
        EXPECT_EQ(host.Exchange('Q', {}, 2), kQuitReply) << (trailing ? "junk after" : "noise before");
    }
}

TEST(Faults, HangUpAfterKFramesEndsTheLineAtTheNextRequest)
{
    TFaultPlan faults;
    faults.hangUpAfterFrames = 2;
    TRunningModule module(WithFaults(faults));
    THostPort &host = module.Host();
    EXPECT_EQ(host.Exchange('Q', {}, 2), kQuitReply);
    EXPECT_EQ(host.Exchange('Q', {}, 2), kQuitReply);
    EXPECT_TRUE(module.Server().Serving());

    const Clock::time_point start = Clock::now();
    host.SendRequest('Q');
    EXPECT_TRUE(host.SeesHangUp(kReplyWait));
    EXPECT_LT(MsSince(start), 1000) << "the host learns of the hang-up at once";
    pollfd ended{module.Server().EndedFd(), POLLIN, 0};
    EXPECT_EQ(poll(&ended, 1, int(kReplyWait.count())), 1);
    EXPECT_FALSE(module.Server().Serving());
    EXPECT_EQ(module.Server().Trace().Size(), 2u);
}

TEST(Faults, TricklingReplySpacesItsBytesWithinTheHostLimit)
{
    TFaultPlan faults;
    faults.trickleDelayMs = 150;
    TRunningModule module(WithFaults(faults));
    THostPort &host = module.Host();
    const Clock::time_point start = Clock::now();
    ASSERT_TRUE(host.SendRequest('Q'));
    // Every byte comes within the host's 1000 ms inactivity limit...
    EXPECT_EQ(host.Read(4, std::chrono::milliseconds(1000)), kQuitReply);
    // ...but the four of them take three gaps.
    EXPECT_GE(MsSince(start), 3 * 150 - 20);
}

// At 1200 bit/s a byte takes 8.33 ms: the 54-byte "C" request takes 450 ms to cross the line
// and its 9-byte reply 75 ms, so the reply is complete no sooner than 525 ms after sending.
TEST(LinePacing, RequestAndReplyTakeTheirLineTime)
{
    TModuleServerOptions options;
    options.bitRate = 1200;
    TRunningModule module(options);
    THostPort &host = module.Host();
    const Clock::time_point start = Clock::now();
    EXPECT_EQ(host.Exchange('C', HandshakePayload(), 7), WithCrc({'K', 'E', 'V', 1, 0, 0, 5}));
    const long elapsed = MsSince(start);
    EXPECT_GE(elapsed, 520);
    EXPECT_LT(elapsed, 525 + 2000);
}

// A long paced reply takes its line time to arrive, and no gap in it reaches the host's limit.
TEST(LinePacing, LongReplyArrivesAtTheLineRate)
{
    TModuleServerOptions options;
    options.bitRate = 9600;
    options.dataSegmentBytes = 958; // 960 bytes on the wire: one second at 9600 bit/s
    TRunningModule module(options);
    THostPort &host = module.Host();
    ASSERT_TRUE(host.SendRequest('D'));
    const Clock::time_point start = Clock::now();
    const Bytes early = host.Read(960, std::chrono::milliseconds(1000));
    const long elapsed = MsSince(start);
    ASSERT_EQ(early.size(), 960u);
    EXPECT_TRUE(CrcHolds(early));
    EXPECT_GE(elapsed, 950);
}

TEST(LinePacing, StopEndsAPacedReplyAtOnce)
{
    TModuleServerOptions options;
    options.bitRate = 300; // a 512-byte reply would take 17 s
    TRunningModule module(options);
    ASSERT_TRUE(module.Host().SendRequest('D'));
    ASSERT_TRUE(module.Server().Trace().WaitForSize(1, kReplyWait));
    const Clock::time_point start = Clock::now();
    module.Server().Stop();
    EXPECT_LT(MsSince(start), 1000);
}
