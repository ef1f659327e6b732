// SPDX-License-Identifier: MIT
// The frames of every bootloader command on the wire, and how replies are judged.
// Replies are queued on the line before the request goes out: the frame code sends its whole
// request before reading, and nothing is purged in between.

#include "BootloaderCommands.h"
#include "CPDrv.h"
#include "Crc16.h"
#include "DriverTestSupport.h"
#include "PtyPair.h"

#include <gtest/gtest.h>

#include <thread>

using namespace morlith;
using Bytes = std::vector<uint8_t>;

namespace {

Bytes WithCrc(Bytes payload)
{
    const uint16_t crc = CRC16(payload.data(), int64_t(payload.size()));
    payload.push_back(uint8_t(crc >> 8));
    payload.push_back(uint8_t(crc));
    return payload;
}

class Commands : public ::testing::Test {
protected:
    void SetUp() override
    {
        FDriver.SetPortName(FPty.SlavePath());
        FDriver.SetInputTimeout(200);
        ASSERT_TRUE(FDriver.Connect()) << FDriver.LastFailure();
    }
    PtyPair FPty;
    TCommPortDriver FDriver;
};

} // namespace

TEST_F(Commands, ConnectSelectDisconnectAndReadFramesAreExact)
{
    TCPPCommandConnect connect(&FDriver);
    FPty.Send(WithCrc(Bytes(7, 0x42)));
    EXPECT_TRUE(connect.Execute()) << connect.LastFailure();
    Bytes expected = {0x32, 0x43};
    for (uint8_t i = 0; i < 50; ++i)
        expected.push_back(i);
    expected.insert(expected.end(), {0xE6, 0xA9});
    EXPECT_EQ(FPty.Receive(54), expected);

    TCPPCommandSelectMCUIndex select(&FDriver);
    select.MCUIndex = 1;
    FPty.Send(WithCrc({0, 0}));
    EXPECT_TRUE(select.Execute());
    EXPECT_EQ(FPty.Receive(5), (Bytes{0x01, 0x49, 0x01, 0x5C, 0xD9}));

    TCPPCommandDisconnect quit(&FDriver);
    FPty.Send(WithCrc({0, 0}));
    EXPECT_TRUE(quit.Execute());
    EXPECT_EQ(FPty.Receive(4), (Bytes{0x00, 0x51, 0x57, 0xDB}));

    TCPPCommandReadPSEG readBlock(&FDriver);
    FPty.Send(WithCrc({0x12, 0x34, 0x80, 0x00, 0x01, 0x00, 0xF4, 0x35}));
    EXPECT_TRUE(readBlock.Execute());
    EXPECT_EQ(FPty.Receive(4), (Bytes{0x00, 0x50, 0x47, 0xFA}));
    EXPECT_EQ(readBlock.Words, (std::array<uint16_t, 4>{0x1234, 0x8000, 0x0100, 0xF435}));

    TCPPCommandReadDSEG readData(&FDriver);
    readData.SetDataLength(3);
    FPty.Send(WithCrc({7, 8, 9}));
    EXPECT_TRUE(readData.Execute());
    EXPECT_EQ(FPty.Receive(4), (Bytes{0x00, 0x44, 0x15, 0x4F}));
    EXPECT_EQ(Bytes(readData.Data(), readData.Data() + 3), (Bytes{7, 8, 9}));
}

TEST_F(Commands, RepliesWithSwappedCrcOrMissingBytesAreRefused)
{
    TCPPCommandReadPSEG readBlock(&FDriver);
    readBlock.Words = {1, 2, 3, 4};
    Bytes swapped = WithCrc({9, 9, 9, 9, 9, 9, 9, 9});
    std::swap(swapped[8], swapped[9]);
    FPty.Send(swapped);
    EXPECT_FALSE(readBlock.Execute());
    EXPECT_EQ(readBlock.LastFailure().Kind, TFailureKind::fkBadReply);
    EXPECT_EQ(readBlock.LastFailure().BytesReceived, 10u);
    EXPECT_EQ(readBlock.Words, (std::array<uint16_t, 4>{1, 2, 3, 4})); // unchanged on failure
    FPty.Drain(20);

    Bytes shortReply = WithCrc({9, 9, 9, 9, 9, 9, 9, 9});
    shortReply.pop_back();
    FPty.Send(shortReply);
    Stopwatch watch;
    EXPECT_FALSE(readBlock.Execute());
    EXPECT_GE(watch.WallMs(), 200); // refused only after the inactivity limit
    EXPECT_EQ(readBlock.LastFailure().Kind, TFailureKind::fkBadReply) << readBlock.LastFailure();
    EXPECT_EQ(readBlock.LastFailure().BytesExpected, 10u);
    EXPECT_EQ(readBlock.LastFailure().BytesReceived, 9u);

    TCPPCommandDisconnect quit(&FDriver);
    EXPECT_FALSE(quit.Execute());
    EXPECT_EQ(quit.LastFailure().Kind, TFailureKind::fkNoReply);
    EXPECT_EQ(quit.LastFailure().Command, 'Q');
}

TEST_F(Commands, PayloadBoundsAndTheReplyInTheBuffer)
{
    TCPPCommand frame(&FDriver);
    frame.SetPayload(-1, 5);
    frame.SetPayload(100, 5);
    EXPECT_EQ(frame.GetPayload(-1), 0);
    EXPECT_EQ(frame.GetPayload(100), 0);
    EXPECT_FALSE(frame.Execute()); // the base command does nothing

    EXPECT_FALSE(frame.Exchange('W', 51, 2)); // too long: nothing is sent
    EXPECT_TRUE(FPty.Drain(50).empty());

    const Bytes reply = WithCrc({0xAB, 0xCD});
    FPty.Send(reply);
    ASSERT_TRUE(frame.Exchange('X', 0, 2));
    EXPECT_EQ(frame.GetPayload(0), 0xAB);
    EXPECT_EQ(frame.GetPayload(1), 0xCD);
    EXPECT_EQ(frame.GetPayload(2), reply[2]); // the reply's high CRC byte follows it
    EXPECT_EQ(FPty.Receive(4).size(), 4u); // an empty request is four bytes on the wire
}

TEST_F(Commands, FlashInitCarriesModeAndKeyInFreshFiller)
{
    TCPPCommandFlashInit init(&FDriver);
    init.SetMode(2);
    init.SetMode(3); // out of range: ignored
    EXPECT_EQ(init.Mode(), 2);
    init.Key = 0xA7;
    Bytes first, second;
    for (Bytes *frame : {&first, &second}) {
        FPty.Send(WithCrc({0, 0}));
        EXPECT_TRUE(init.Execute());
        *frame = FPty.Receive(54);
        ASSERT_EQ(frame->size(), 54u);
        EXPECT_EQ((*frame)[0], 50);
        EXPECT_EQ((*frame)[1], 'F');
        EXPECT_EQ((*frame)[2 + 5], 2);
        EXPECT_EQ((*frame)[2 + 7], 0xA7);
        for (int i = 2; i < 52; ++i)
            EXPECT_NE((*frame)[size_t(i)], 255);
        EXPECT_EQ(CRC16(frame->data(), 54), 0);
    }
    EXPECT_NE(first, second); // drawn afresh at each call
}

TEST_F(Commands, FlashWriteSendsItsCountAndRefusesNone)
{
    TCPPCommandFlashWrite write(&FDriver);
    write.Count = 0;
    EXPECT_FALSE(write.Execute());
    EXPECT_TRUE(FPty.Drain(50).empty());

    for (int i = 0; i < 50; ++i)
        write.SetPayload(i, uint8_t(200 + i % 50));
    write.Count = 50;
    FPty.Send(WithCrc({0, 0}));
    EXPECT_TRUE(write.Execute());
    const Bytes frame = FPty.Receive(60, 300);
    ASSERT_EQ(frame.size(), 54u);
    EXPECT_EQ(frame[0], 50);
    EXPECT_EQ(frame[1], 'W');
    EXPECT_EQ(frame[51], 249);
}

TEST_F(Commands, ReadDataSegmentOfLengthZeroExpectsOnlyTheCrc)
{
    TCPPCommandReadDSEG readData(&FDriver);
    readData.SetDataLength(0);
    FPty.Send(WithCrc({}));
    EXPECT_TRUE(readData.Execute()) << readData.LastFailure();
}

TEST_F(Commands, ReadDataSegmentWithoutALengthFailsAndSendsNothing)
{
    TCPPCommandReadDSEG readData(&FDriver);
    FPty.Send(WithCrc({}));
    EXPECT_FALSE(readData.Execute());
    EXPECT_TRUE(readData.LastFailure().Failed());
    EXPECT_TRUE(FPty.Receive(1, 100).empty());
}

TEST_F(Commands, ParameterBlockWriteReplacesTheLastWordByTheCrc)
{
    TCPPCommandFlashInit init(&FDriver);
    TCPPCommandFlashWrite write(&FDriver);
    TCPPCommandWritePSEG block(&FDriver);
    block.FlashInitCommand = &init;
    block.FlashWriteCommand = &write;
    block.Words = {0x1234, 0x8000, 0x0100, 0x9999};
    init.SetMode(2);
    init.Key = 5;
    // Each reply goes out once its request came, as a module sends it: a reply sent early would
    // be bytes after the first one.
    bool written = false;
    std::thread host([&] { written = block.Execute(); });
    const Bytes f = FPty.Receive(54);
    FPty.Send(WithCrc({0, 0}));
    const Bytes w = FPty.Receive(12);
    FPty.Send(WithCrc({0, 0}));
    host.join();
    EXPECT_TRUE(written) << block.BlockFailure();
    ASSERT_EQ(f.size(), 54u);
    EXPECT_EQ(f[1], 'F');
    EXPECT_EQ(f[7], 0); // mode 0
    EXPECT_EQ(f[9], 0); // key 0
    ASSERT_EQ(w.size(), 12u);
    EXPECT_EQ(Bytes(w.begin(), w.begin() + 10),
              (Bytes{8, 'W', 0x12, 0x34, 0x80, 0x00, 0x01, 0x00, 0xF4, 0x35}));
    EXPECT_EQ(CRC16(w.data(), 12), 0);
    EXPECT_EQ(block.Words[3], 0xF435);

    // A refused "F" ends the block write before its "W".
    EXPECT_FALSE(block.Execute());
    EXPECT_EQ(FPty.Drain(50).size(), 54u);
    EXPECT_EQ(block.BlockFailure().Kind, TFailureKind::fkNoReply);
    EXPECT_EQ(block.BlockFailure().Command, 'F');
}
