// SPDX-License-Identifier: MIT
// The virtual module on a real pseudo-terminal, played by a host on the slave side.

#include "HostPort.h"

#include "ModuleServer.h"
#include "PollUntil.h"

#include <gtest/gtest.h>

#include <numeric>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

using namespace morlith;
using namespace morlith::test;
using Bytes = std::vector<uint8_t>;

namespace {

Bytes Concat(Bytes a, const Bytes &b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

Bytes Sequence(size_t count, uint8_t first)
{
    Bytes bytes(count);
    std::iota(bytes.begin(), bytes.end(), first);
    return bytes;
}

// A parameter block of words w0..w2 followed by the CRC of their six bytes.
Bytes BlockWithCrc(uint16_t w0, uint16_t w1, uint16_t w2)
{
    Bytes six = {uint8_t(w0 >> 8), uint8_t(w0), uint8_t(w1 >> 8), uint8_t(w1), uint8_t(w2 >> 8), uint8_t(w2)};
    return WithCrc(six);
}

// Writes `data` in "W" frames of at most 50 bytes after an "F" with `mode` and `key`.
void WriteSession(THostPort &host, uint8_t mode, uint8_t key, const Bytes &data)
{
    ASSERT_TRUE(CrcHolds(host.Exchange('F', FlashInitPayload(mode, key), 2)));
    for (size_t offset = 0; offset < data.size(); offset += kMaxRequestPayload) {
        const size_t end = std::min(data.size(), offset + kMaxRequestPayload);
        ASSERT_TRUE(CrcHolds(host.Exchange('W', Bytes(data.begin() + long(offset), data.begin() + long(end)), 2)));
    }
}

// Polls `done` until it holds or `timeout` passes; whether it holds.

} // namespace

TEST(RequestEncoding
, MatchesTheBytesTheHostSends)
{
    EXPECT_EQ(EncodeRequest('Q', {}), (Bytes{0x00, 0x51, 0x57, 0xDB}));
    EXPECT_EQ(EncodeRequest('I', {1}), (Bytes{0x01, 0x49, 0x01, 0x5C, 0xD9}));
    EXPECT_EQ(EncodeRequest('P', {}), (Bytes{0x00, 0x50, 0x47, 0xFA}));
    EXPECT_EQ(EncodeRequest('D', {}), (Bytes{0x00, 0x44, 0x15, 0x4F}));
    const Bytes connect = EncodeRequest('C', HandshakePayload());
    ASSERT_EQ(connect.size(), 54u);
    EXPECT_EQ(connect[0], 0x32);
    EXPECT_EQ(connect[52], 0xE6);
    EXPECT_EQ(connect[53], 0xA9);
}

TEST(ModuleReplies, EachCommandGetsItsFixedLengthReplyAndCrc)
{
    TRunningModule module;
    THostPort &host = module.Host();
    EXPECT_EQ(host.Exchange('C', HandshakePayload(), 7), WithCrc({'K', 'E', 'V', 1, 0, 0, 5}));
    EXPECT_EQ(host.Exchange('I', {2}, 2), WithCrc({2, 5}));
    EXPECT_EQ(host.Exchange('Q', {}, 2), WithCrc({'Q', 0}));
    EXPECT_EQ(host.Exchange('F', FlashInitPayload(1, 0), 2), WithCrc({1, 0}));
    EXPECT_EQ(host.Exchange('W', {9, 8, 7}, 2), WithCrc({0, 3}));
    EXPECT_EQ(host.Exchange('P', {}, 8), WithCrc(ParameterBlockBytes(EmptyParameterBlock(512))));
    const Bytes segment = host.Exchange('D', {}, 512);
    ASSERT_EQ(segment.size(), 514u);
    EXPECT_TRUE(CrcHolds(segment));
    EXPECT_EQ(Bytes(segment.begin(), segment.begin() + 4), (Bytes{9, 8, 7, 0xFF}));
    // Nothing more than the fixed lengths came.
    EXPECT_TRUE(host.Read(1, kQuietWait).empty());
}

TEST(ModuleMemories, ParameterBlockIsStoredOnlyWhenItsCrcHolds)
{
    TRunningModule module;
    THostPort &host = module.Host();
    const Bytes good = BlockWithCrc(0x1234, 0x8000, 0x0100);
    EXPECT_EQ(Bytes(good.end() - 2, good.end()), (Bytes{0xF4, 0x35}));

    WriteSession(host, 0, 0, good);
    EXPECT_EQ(host.Exchange('P', {}, 8), WithCrc(good));

    Bytes bad = BlockWithCrc(0x1111, 0x2222, 0x0010);
    bad[7] ^= 0x01;
    WriteSession(host, 0, 0, bad);
    EXPECT_EQ(host.Exchange('P', {}, 8), WithCrc(good)) << "a block with a wrong CRC is not stored";

    // A block may also come in two writes.
    const Bytes split = BlockWithCrc(0x0002, 0xABCD, 0x0004);
    ASSERT_TRUE(CrcHolds(host.Exchange('F', FlashInitPayload(0, 0), 2)));
    ASSERT_TRUE(CrcHolds(host.Exchange('W', Bytes(split.begin(), split.begin() + 3), 2)));
    ASSERT_TRUE(CrcHolds(host.Exchange('W', Bytes(split.begin() + 3, split.end()), 2)));
    EXPECT_EQ(host.Exchange('P', {}, 8), WithCrc(split));
    // The stored third word decides how long "D" answers.
    EXPECT_EQ(host.Exchange('D', {}, 4), WithCrc({0xFF, 0xFF, 0xFF, 0xFF}));
}

TEST(ModuleMemories, ApplicationIsStoredWithTheKeyTakenOff)
{
    TRunningModule module;
    THostPort &host = module.Host();
    const uint8_t key = 0xD7;
    const Bytes plain = Sequence(120, 0xF0);
    Bytes keyed = plain;
    for (uint8_t &byte : keyed)
        byte = uint8_t(byte + key);

    WriteSession(host, 2, key, keyed);
    EXPECT_EQ(module.Server().WithModule([](TVirtualModule &m) { return m.Controller(0).programMemory; }),
              plain);

    // A new mode-2 session starts from an empty program memory.
    WriteSession(host, 2, key, Bytes(keyed.begin(), keyed.begin() + 10));
    EXPECT_EQ(module.Server().WithModule([](TVirtualModule &m) { return m.Controller(0).programMemory; }),
              Bytes(plain.begin(), plain.begin() + 10));
}

TEST(ModuleMemories, DataSegmentWrittenIsReadBackThroughPAndD)
{
    TModuleServerOptions options;
    options.dataSegmentBytes = 200;
    TRunningModule module(options);
    THostPort &host = module.Host();
    const Bytes data = Sequence(120, 1);
    WriteSession(host, 1, 0, data);

    const Bytes block = host.Exchange('P', {}, 8);
    ASSERT_TRUE(CrcHolds(block));
    const size_t length = size_t(block[4] << 8 | block[5]);
    EXPECT_EQ(length, 200u);
    EXPECT_EQ(host.Exchange('D', {}, length), WithCrc(Concat(data, Bytes(80, 0xFF))));
}

TEST(ModuleMemories, DataSegmentWritePastTheEndGetsNoReplyAndStoresNothing)
{
    TModuleServerOptions options;
    options.dataSegmentBytes = 60;
    TRunningModule module(options);
    THostPort &host = module.Host();
    ASSERT_TRUE(CrcHolds(host.Exchange('F', FlashInitPayload(1, 0), 2)));
    EXPECT_EQ(host.Exchange('W', Sequence(50, 0), 2), WithCrc({0, 50}));
    ASSERT_TRUE(host.SendRequest('W', Sequence(11, 50)));
    EXPECT_TRUE(host.Read(1, kQuietWait).empty()) << "one byte too many: no reply";
    EXPECT_EQ(module.Server().Trace().Entries().back().verdict, TFrameVerdict::fvPastEnd);
    EXPECT_EQ(host.Exchange('D', {}, 60), WithCrc(Concat(Sequence(50, 0), Bytes(10, 0xFF))));
    // The session goes on: what fits exactly is still written.
    EXPECT_EQ(host.Exchange('W', Sequence(10, 50), 2), WithCrc({0, 60}));
    EXPECT_EQ(host.Exchange('D', {}, 60), WithCrc(Sequence(60, 0)));
}

TEST(ModuleMemories, WriteWithoutFlashInitGetsNoReplyAndStoresNothing)
{
    TRunningModule module;
    THostPort &host = module.Host();
    ASSERT_TRUE(host.SendRequest('W', {1, 2, 3}));
    EXPECT_TRUE(host.Read(1, kQuietWait).empty());
    EXPECT_EQ(module.Server().Trace().Entries().back().verdict, TFrameVerdict::fvNoWriteSession);
    // "I" ends a write session.
    ASSERT_TRUE(CrcHolds(host.Exchange('F', FlashInitPayload(1, 0), 2)));
    ASSERT_TRUE(CrcHolds(host.Exchange('I', {0}, 2)));
    ASSERT_TRUE(host.SendRequest('W', {1, 2, 3}));
    EXPECT_TRUE(host.Read(1, kQuietWait).empty());
    EXPECT_EQ(host.Exchange('D', {}, 512)[0], 0xFF);
    // After a whole parameter block the session stays open; further bytes are dropped.
    WriteSession(host, 0, 0, BlockWithCrc(0, 0xFFFF, 4));
    EXPECT_EQ(host.Exchange('W', BlockWithCrc(0, 0xFFFF, 9), 2), WithCrc({0, 8}));
    EXPECT_EQ(host.Exchange('P', {}, 8), WithCrc(BlockWithCrc(0, 0xFFFF, 4)));
}

TEST(ModuleMemories, SelectingAControllerSwitchesEveryMemory)
{
    TRunningModule module;
    THostPort &host = module.Host();
    ASSERT_EQ(host.Exchange('I', {3}, 2), WithCrc({3, 5}));
    EXPECT_EQ(host.Exchange('C', HandshakePayload(), 7), WithCrc({'K', 'E', 'V', 1, 0, 3, 5}));
    WriteSession(host, 1, 0, {0x33, 0x33});
    WriteSession(host, 0, 0, BlockWithCrc(0, 0xFFFF, 2));

    ASSERT_TRUE(CrcHolds(host.Exchange('I', {0}, 2)));
    EXPECT_EQ(host.Exchange('P', {}, 8), WithCrc(ParameterBlockBytes(EmptyParameterBlock(512))));
    EXPECT_EQ(host.Exchange('D', {}, 512)[0], 0xFF);

    ASSERT_TRUE(CrcHolds(host.Exchange('I', {3}, 2)));
    EXPECT_EQ(host.Exchange('D', {}, 2), WithCrc({0x33, 0x33}));
    module.Server().WithModule([](TVirtualModule &m) {
        EXPECT_EQ(m.SelectedIndex(), 3);
        for (int index : {0, 1, 2, 4})
            EXPECT_EQ(m.Controller(index).dataSegment[0], 0xFF) << "controller " << index;
    });
}

TEST(ModuleOptions, InitialDataSegmentsForAllAndForOneController)
{
    TModuleServerOptions options;
    options.dataSegmentBytes = 4;
    options.dataSegmentForAll = {0xAA, 0xBB};
    options.dataSegmentOf[2] = {1, 2, 3, 4, 5, 6};
    TRunningModule module(options);
    THostPort &host = module.Host();
    EXPECT_EQ(host.Exchange('D', {}, 4), WithCrc({0xAA, 0xBB, 0xFF, 0xFF}));
    ASSERT_TRUE(CrcHolds(host.Exchange('I', {2}, 2)));
    EXPECT_EQ(host.Exchange('D', {}, 4), WithCrc({1, 2, 3, 4}));
}

TEST(ModuleOptions, OutOfRangeOptionsAreRefused)
{
    TModuleServerOptions tooBig;
    tooBig.dataSegmentBytes = 65536;
    EXPECT_THROW(TModuleServer{tooBig}, std::invalid_argument);
    TModuleServerOptions badIndex;
    badIndex.dataSegmentOf[5] = {1};
    EXPECT_THROW(TModuleServer{badIndex}, std::invalid_argument);
    TModuleServerOptions slowTrickle;
    slowTrickle.faults.trickleDelayMs = 1000;
    EXPECT_THROW(TModuleServer{slowTrickle}, std::invalid_argument);
}

// Each malformed frame is traced with its verdict and gets no reply; the answer to the good frame
// that follows is the first thing the host reads, so no reply came before it.
TEST(MalformedFrames, GetNoReplyAndLeaveTheModuleInStep)
{
    TRunningModule module;
    THostPort &host = module.Host();
    Bytes badCrc = EncodeRequest('Q', {});
    badCrc[3] ^= 0xFF;
    const std::vector<std::pair<Bytes, TFrameVerdict>> cases = {
        {badCrc, TFrameVerdict::fvBadCrc},
        {EncodeRequest('Z', {1, 2}), TFrameVerdict::fvUnknownCommand},
        {EncodeRequest('Q', {0}), TFrameVerdict::fvBadLength},
        {EncodeRequest('C', Sequence(49, 0)), TFrameVerdict::fvBadLength},
        {EncodeRequest('W', {}), TFrameVerdict::fvBadLength},
        {EncodeRequest('I', {5}), TFrameVerdict::fvBadArgument},
        {EncodeRequest('F', FlashInitPayload(3, 0)), TFrameVerdict::fvBadArgument},
        {EncodeRequest('C', Sequence(50, 1)), TFrameVerdict::fvBadArgument},
    };
    size_t frames = 0;
    for (const auto &[frame, verdict] : cases) {
        SCOPED_TRACE(testing::Message() << "verdict " << VerdictName(verdict));
        ASSERT_TRUE(host.Send(frame));
        ASSERT_TRUE(module.Server().Trace().WaitForSize(++frames, kReplyWait));
        EXPECT_EQ(module.Server().Trace().Entries().back().verdict, verdict);
        EXPECT_EQ(host.Exchange('Q', {}, 2), WithCrc({'Q', 0}));
        ++frames;
    }
    ASSERT_FALSE(module.Server().Trace().Entries().empty());
    EXPECT_FALSE(module.Server().Trace().Entries()[0].crcOk);
    EXPECT_EQ(module.Server().WithModule([](TVirtualModule &m) { return m.SelectedIndex(); }), 0);
}

TEST(MalformedFrames, GarbageAndPartialFramesAreDroppedAfterASilence)
{
    TRunningModule module;
    THostPort &host = module.Host();
    // Well over the gap, so a module thread slowed down by a loaded machine still sees it.
    const auto silence = std::chrono::milliseconds(4 * kFrameGapMs);

    // A length byte over 50 starts no frame: the rest is skipped until the line falls silent.
    ASSERT_TRUE(host.Send({0xF0, 0x00, 0x51, 0x57, 0xDB}));
    EXPECT_TRUE(host.Read(1, silence).empty());
    EXPECT_EQ(host.Exchange('Q', {}, 2), WithCrc({'Q', 0}));

    // A frame that stops half way is forgotten after the silence.
    const Bytes connect = EncodeRequest('C', HandshakePayload());
    ASSERT_TRUE(host.Send(Bytes(connect.begin(), connect.begin() + 20)));
    EXPECT_TRUE(host.Read(1, silence).empty());
    EXPECT_EQ(host.Exchange('C', HandshakePayload(), 7), WithCrc({'K', 'E', 'V', 1, 0, 0, 5}));

    EXPECT_EQ(module.Server().Trace().Size(), 2u);
    EXPECT_EQ(module.Server().WithModule([](TVirtualModule &m) { return m.DiscardedBytes(); }), 25u);
}

TEST(ModuleLine, FramesSplitOverManyWritesAreAssembled)
{
    TRunningModule module;
    THostPort &host = module.Host();
    const Bytes connect = EncodeRequest('C', HandshakePayload());
    for (uint8_t byte : connect)
        ASSERT_TRUE(host.Send({byte}));
    EXPECT_EQ(host.Read(9, kReplyWait), WithCrc({'K', 'E', 'V', 1, 0, 0, 5}));
    // Two frames in one write get two replies in order.
    ASSERT_TRUE(host.Send(Concat(EncodeRequest('I', {1}), EncodeRequest('Q', {}))));
    EXPECT_EQ(host.Read(8, kReplyWait), Concat(WithCrc({1, 5}), WithCrc({'Q', 0})));
}

// A host may close and reopen the port, also after a close without clearing its exclusive use
// (a killed program): like a real port at its last close, the line forgets that use, or every
// later open by an ordinary user would be refused as busy.
TEST(ModuleLine, HostMayCloseAndReopenThePort)
{
    TRunningModule module;
    ASSERT_TRUE(CrcHolds(module.Host().Exchange('I', {4}, 2)));
    ASSERT_EQ(ioctl(module.Host().Fd(), TIOCEXCL), 0);
    module.CloseHost();
    // An ordinary user is refused while the flag stands; root is let through and sees the flag.
    int exclusive = -1;
    EXPECT_TRUE(PollUntil(
        [&] {
            const int fd = ::open(module.Server().SlavePath().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
            if (fd < 0)
                return false;
            const bool free = ioctl(fd, TIOCGEXCL, &exclusive) == 0 && exclusive == 0;
            ::close(fd);
            return free;
        },
        kReplyWait))
        << "still exclusive: " << exclusive;
    module.ReopenHost();
    EXPECT_EQ(module.Host().Exchange('I', {1}, 2), WithCrc({1, 5}));
    EXPECT_TRUE(module.Server().Serving());
}

// A plain "C" on a new session addresses the main controller: a selection ends with the goodbye
// or with the port's closing, and so does a write session.
TEST(ModuleSessions, ASelectionLastsUntilTheGoodbyeOrTheClose)
{
    TRunningModule module;
    THostPort &host = module.Host();
    const auto selected = [&] {
        return module.Server().WithModule([](TVirtualModule &m) { return m.SelectedIndex(); });
    };
    ASSERT_TRUE(CrcHolds(host.Exchange('I', {2}, 2)));
    EXPECT_EQ(host.Exchange('C', HandshakePayload(), 7), WithCrc({'K', 'E', 'V', 1, 0, 2, 5}));
    EXPECT_EQ(host.Exchange('Q', {}, 2), WithCrc({'Q', 0}));
    EXPECT_EQ(host.Exchange('C', HandshakePayload(), 7), WithCrc({'K', 'E', 'V', 1, 0, 0, 5}));

    ASSERT_TRUE(CrcHolds(host.Exchange('I', {3}, 2)));
    ASSERT_TRUE(CrcHolds(host.Exchange('F', FlashInitPayload(1, 0), 2)));
    module.ReopenHost();
    EXPECT_TRUE(PollUntil([&] { return selected() == 0; }, kReplyWait)) << "the close alone ends it";
    ASSERT_TRUE(module.Host().SendRequest('W', {7}));
    EXPECT_TRUE(module.Host().Read(1, kQuietWait).empty()) << "the write session ended too";
    EXPECT_EQ(module.Host().Exchange('C', HandshakePayload(), 7), WithCrc({'K', 'E', 'V', 1, 0, 0, 5}));
    module.Server().WithModule([](TVirtualModule &m) {
        for (int index = 0; index < kControllerCount; ++index)
            EXPECT_EQ(m.Controller(index).dataSegment[0], 0xFF) << "controller " << index;
    });
}

// Only the host's own hang-up ends a session: a second program that opens the port and closes
// it again (a connect refused as busy, a port scanner) leaves the selection and the write alone.
TEST(ModuleSessions, AnotherProgramOpeningAndClosingThePortLeavesTheSessionAlone)
{
    TRunningModule module;
    THostPort &host = module.Host();
    ASSERT_TRUE(CrcHolds(host.Exchange('I', {3}, 2)));
    ASSERT_TRUE(CrcHolds(host.Exchange('F', FlashInitPayload(1, 0), 2)));
    for (int attempt = 0; attempt < 3; ++attempt)
        THostPort intruder(module.Server().SlavePath());
    EXPECT_TRUE(CrcHolds(host.Exchange('W', {0x5C}, 2))) << "the write session goes on";
    module.Server().WithModule([](TVirtualModule &m) {
        EXPECT_EQ(m.SelectedIndex(), 3);
        EXPECT_EQ(m.Controller(3).dataSegment[0], 0x5C);
    });
    module.ReopenHost();
    ASSERT_TRUE(module.Host().SendRequest('W', {7}));
    EXPECT_TRUE(module.Host().Read(1, kQuietWait).empty()) << "the host's own close ends it";
}

TEST(ModuleSessions, AHalfFrameDoesNotOutliveTheClose)
{
    TRunningModule module;
    const Bytes connect = EncodeRequest('C', HandshakePayload());
    ASSERT_TRUE(module.Host().Send(Bytes(connect.begin(), connect.begin() + 20)));
    const auto partial = [&] {
        return module.Server().WithModule([](TVirtualModule &m) { return m.HasPartialFrame(); });
    };
    ASSERT_TRUE(PollUntil(partial, kReplyWait));
    module.ReopenHost();
    EXPECT_EQ(module.Host().Exchange('Q', {}, 2), WithCrc({'Q', 0}));
}

TEST(ModuleLine, StopHangsUpKeepsTheMemoriesAndMayBeRepeated)
{
    TRunningModule module;
    WriteSession(module.Host(), 1, 0, {0x42});
    module.Server().Stop();
    module.Server().Stop();
    EXPECT_FALSE(module.Server().Serving());
    EXPECT_TRUE(module.Host().SeesHangUp(kReplyWait));
    EXPECT_EQ(module.Server().WithModule([](TVirtualModule &m) { return m.Controller(0).dataSegment[0]; }),
              0x42);
    EXPECT_THROW(module.Server().Start(), std::logic_error);
}
