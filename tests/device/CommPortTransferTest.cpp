// SPDX-License-Identifier: MIT
// Sending, reading with the inactivity limit, hang-ups and polled input, on a pseudo-terminal.

#include "CPDrv.h"
#include "DriverTestSupport.h"
#include "PtyPair.h"

#include <gtest/gtest.h>

#include <thread>

using namespace morlith;
using namespace std::chrono_literals;

namespace {

class Transfer : public ::testing::Test {
protected:
    void SetUp() override
    {
        FDriver = std::make_unique<TCommPortDriver>();
        FDriver->SetPortName(FPty.SlavePath());
        FDriver->SetInputTimeout(300);
        ASSERT_TRUE(FDriver->Connect()) << FDriver->LastFailure();
    }
    // Waits until `count` bytes sent by the far end are in the driver's input queue.
    void WaitForQueued(uint32_t count)
    {
        for (int i = 0; i < 2000 && FDriver->InQueueCount() < count; ++i)
            std::this_thread::sleep_for(1ms);
        ASSERT_GE(FDriver->InQueueCount(), count);
    }
    ManualPollTimers FTimers;
    PtyPair FPty;
    std::unique_ptr<TCommPortDriver> FDriver;
};

} // namespace

TEST_F(Transfer, BytesSentArriveInOrder)
{
    const std::vector<uint8_t> data = {0, 1, 0x11, 0x13, 0xFF, '\n', '\r', 3};
    EXPECT_EQ(FDriver->PutBytes(data.data(), uint32_t(data.size())), data.size());
    EXPECT_TRUE(FDriver->PutByte(0x7F));
    auto got = FPty.Receive(9);
    ASSERT_EQ(got.size(), 9u);
    EXPECT_EQ(std::vector<uint8_t>(got.begin(), got.begin() + 8), data); // raw: nothing translated
    EXPECT_EQ(got[8], 0x7F);
}

TEST_F(Transfer, ZeroCountReturnsAtOnceAndASilentLineAfterTheLimit)
{
    uint8_t buf[8];
    Stopwatch zero;
    EXPECT_EQ(FDriver->GetBytes(buf, 0), 0u);
    EXPECT_LT(zero.WallMs(), 50);

    Stopwatch silent;
    EXPECT_EQ(FDriver->GetBytes(buf, 8), 0u);
    EXPECT_GE(silent.WallMs(), 300);
    EXPECT_LT(silent.WallMs(), 1500);
    // Waiting is poll(2), not a loop: a spinning wait would burn the whole 300 ms.
    EXPECT_LT(silent.CpuMs(), 100);
}

TEST_F(Transfer, AReplyInBurstsIsReadWholeWhileEachBurstComesWithinTheLimit)
{
    std::thread peer([this] {
        for (uint8_t burst = 0; burst < 5; ++burst) {
            std::this_thread::sleep_for(100ms); // each gap well under the 300 ms limit
            FPty.Send({uint8_t(burst * 2), uint8_t(burst * 2 + 1)});
        }
    });
    uint8_t buf[10] = {};
    Stopwatch watch;
    EXPECT_EQ(FDriver->GetBytes(buf, 10), 10u);
    peer.join();
    EXPECT_GE(watch.WallMs(), 450); // well above the limit in total
    for (uint8_t i = 0; i < 10; ++i)
        EXPECT_EQ(buf[i], i);
}

TEST_F(Transfer, NeverReturnsMoreThanAskedAndKeepsTheRestQueued)
{
    FPty.Send({1, 2, 3, 4, 5});
    WaitForQueued(5);
    uint8_t buf[5] = {};
    EXPECT_EQ(FDriver->GetBytes(buf, 3), 3u);
    EXPECT_EQ(FDriver->InQueueCount(), 2u);
    EXPECT_EQ(FDriver->GetBytes(buf, 2), 2u);
    EXPECT_EQ(buf[0], 4);
    EXPECT_EQ(buf[1], 5);
}

TEST_F(Transfer, AHangUpMidReplyEndsTheReadAtOnceWithWhatCame)
{
    FDriver->SetInputTimeout(3000);
    std::thread peer([this] {
        std::this_thread::sleep_for(100ms);
        FPty.Send({9, 8, 7});
        std::this_thread::sleep_for(100ms);
        FPty.HangUp();
    });
    uint8_t buf[10] = {};
    Stopwatch watch;
    EXPECT_EQ(FDriver->GetBytes(buf, 10), 3u);
    peer.join();
    EXPECT_LT(watch.WallMs(), 1500); // not the 3 s inactivity limit
    EXPECT_LT(watch.CpuMs(), 100);
    // Later waits on the dead line end at once too, and sending fails without waiting.
    Stopwatch after;
    EXPECT_EQ(FDriver->GetBytes(buf, 10), 0u);
    EXPECT_EQ(FDriver->PutBytes(buf, 10), 0u);
    EXPECT_LT(after.WallMs(), 500);
    EXPECT_EQ(FDriver->LastFailure().Kind, TFailureKind::fkHangUp) << FDriver->LastFailure();
    EXPECT_TRUE(FDriver->HungUp());
}

TEST_F(Transfer, LookingAtAnIdleLineSeesAHangUpAndLeavesInputAlone)
{
    FPty.Send({1, 2});
    std::this_thread::sleep_for(50ms);
    EXPECT_TRUE(FDriver->LineUp()) << FDriver->LastFailure();
    EXPECT_EQ(FDriver->InQueueCount(), 2u) << "queued input is not taken";
    uint8_t buf[4] = {};
    EXPECT_EQ(FDriver->GetBytes(buf, 2), 2u);
    EXPECT_TRUE(FDriver->LineUp());
    EXPECT_TRUE(FPty.Drain(50).empty()) << "nothing is sent";

    FPty.HangUp();
    EXPECT_FALSE(FDriver->LineUp());
    EXPECT_EQ(FDriver->LastFailure().Kind, TFailureKind::fkHangUp) << FDriver->LastFailure();
    EXPECT_TRUE(FDriver->HungUp());
}

TEST_F(Transfer, PollingHandsStrayInputToTheHandlerOrDropsIt)
{
    ASSERT_NE(ManualPollTimer::Last, nullptr);
    std::vector<uint8_t> seen;
    FDriver->OnReceiveData = [&](TCommPortDriver *sender, const uint8_t *data, uint32_t size) {
        EXPECT_EQ(sender, FDriver.get());
        seen.insert(seen.end(), data, data + size);
    };
    FPty.Send({0xAA, 0xBB});
    WaitForQueued(2);
    ManualPollTimer::Last->Fire();
    EXPECT_EQ(seen, (std::vector<uint8_t>{0xAA, 0xBB}));

    // Without a handler the stray bytes are gone before the next read.
    FDriver->OnReceiveData = nullptr;
    FPty.Send({0xCC});
    WaitForQueued(1);
    ManualPollTimer::Last->Fire();
    FPty.Send({0xDD});
    uint8_t byte = 0;
    EXPECT_EQ(FDriver->GetBytes(&byte, 1), 1u);
    EXPECT_EQ(byte, 0xDD);
}

TEST_F(Transfer, PacketModeCutsInputAndFlushesAPartialPacketAfterItsTimeout)
{
    std::vector<std::vector<uint8_t>> packets;
    FDriver->OnReceivePacket = [&](TCommPortDriver *, const uint8_t *data, uint32_t size) {
        packets.emplace_back(data, data + size);
    };
    FDriver->SetPollingDelay(10);
    FDriver->SetPacketSize(4);
    FDriver->SetPacketTimeout(300);
    FDriver->SetPacketMode(pmPass);
    FPty.Send({1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
    WaitForQueued(10);
    ManualPollTimer::Last->Fire();
    ASSERT_EQ(packets.size(), 2u);
    EXPECT_EQ(packets[1], (std::vector<uint8_t>{5, 6, 7, 8}));
    ManualPollTimer::Last->Fire(); // the partial packet is not due yet
    EXPECT_EQ(packets.size(), 2u);
    std::this_thread::sleep_for(350ms);
    ManualPollTimer::Last->Fire();
    ASSERT_EQ(packets.size(), 3u);
    EXPECT_EQ(packets[2], (std::vector<uint8_t>{9, 10}));

    // pmDiscard drops a late partial packet instead.
    FDriver->SetPacketMode(pmDiscard);
    FPty.Send({11});
    WaitForQueued(1);
    ManualPollTimer::Last->Fire();
    std::this_thread::sleep_for(350ms);
    ManualPollTimer::Last->Fire();
    EXPECT_EQ(packets.size(), 3u);
    EXPECT_EQ(FDriver->InQueueCount(), 0u);
}

TEST_F(Transfer, PurgeDiscardsWaitingInput)
{
    FPty.Send({1, 2, 3});
    WaitForQueued(3);
    EXPECT_EQ(FDriver->InQueueCount(), 3u);
    EXPECT_TRUE(FDriver->PurgeQueues(true, false));
    EXPECT_EQ(FDriver->InQueueCount(), 0u);
}

TEST_F(Transfer, SettingTheCurrentRateAgainKeepsWaitingInput)
{
    FPty.Send({1, 2, 3});
    WaitForQueued(3);
    FDriver->SetBaudRate(FDriver->BaudRate());
    FDriver->SetBaudRateValue(FDriver->BaudRateValue());
    EXPECT_EQ(FDriver->InQueueCount(), 3u);
    FDriver->SetBaudRateValue(19200); // a new rate is applied, and the queues with it purged
    EXPECT_EQ(FDriver->InQueueCount(), 0u);
    EXPECT_EQ(FDriver->BaudRate(), brCustom);
}
