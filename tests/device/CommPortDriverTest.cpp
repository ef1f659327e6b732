// SPDX-License-Identifier: MIT
// Opening, closing, settings and closed-port results of the serial port driver.

#include "CPDrv.h"
#include "DriverTestSupport.h"
#include "PtyPair.h"
#include "ScratchFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using namespace morlith;

ManualPollTimer *ManualPollTimer::Last = nullptr;

// A fresh driver names COM2 at 9600 baud and is closed: every transfer on it is refused.
TEST(CommPortDriver, AFreshDriverIsClosedAndRefusesEveryTransfer)
{
    TCommPortDriver driver;
    EXPECT_EQ(driver.PortName(), "\\\\.\\COM2");
    EXPECT_EQ(driver.BaudRateValue(), 9600u);
    EXPECT_FALSE(driver.Connected());
    uint8_t buf[4] = {};
    EXPECT_FALSE(driver.PutByte(1));
    EXPECT_EQ(driver.PutBytes(buf, 4), 0u);
    EXPECT_EQ(driver.GetBytes(buf, 4), 0u);
    EXPECT_EQ(driver.InQueueCount(), 65535u);
    EXPECT_EQ(driver.OutQueueRoom(), 65535);
    EXPECT_EQ(driver.GetModemSignals(), 0);
    EXPECT_FALSE(driver.PurgeQueues(true, true));
    EXPECT_FALSE(driver.ApplyLineSettings());
    driver.Disconnect(); // nothing to do, nothing breaks
    driver.PollTick();
}

TEST(CommPortDriver, SettersClampAndCouple)
{
    TCommPortDriver driver;
    driver.SetInBufSize(100);
    EXPECT_EQ(driver.InBufSize(), 128u);
    driver.SetInBufSize(10000);
    EXPECT_EQ(driver.InBufSize(), 8192u);
    driver.SetOutBufSize(1);
    EXPECT_EQ(driver.OutBufSize(), 128u);

    driver.SetPollingDelay(1);
    EXPECT_EQ(driver.PollingDelay(), 5);
    driver.SetPollingDelay(50);
    driver.SetPacketTimeout(20);
    EXPECT_EQ(driver.PacketTimeout(), 70);
    driver.SetPacketTimeout(0);
    EXPECT_EQ(driver.PacketTimeout(), -1);
    driver.SetPacketTimeout(500);
    driver.SetPollingDelay(600); // the timeout is re-checked against the new delay
    EXPECT_EQ(driver.PacketTimeout(), 600 + 240);

    driver.SetBaudRateValue(19200);
    EXPECT_EQ(driver.BaudRate(), brCustom);
    driver.SetBaudRate(brCustom);
    EXPECT_EQ(driver.BaudRateValue(), 19200u);
    driver.SetBaudRate(br115200);
    EXPECT_EQ(driver.BaudRateValue(), 115200u);

    driver.SetPort(pnCOM7);
    EXPECT_EQ(driver.PortName(), "\\\\.\\COM7");
    driver.SetPortName("COM9");
    EXPECT_EQ(driver.Port(), pnCustom);
    EXPECT_EQ(driver.PortName(), "COM9");
}

TEST(CommPortDriver, PacketSizeKeepsItsBufferInvariant)
{
    TCommPortDriver driver;
    driver.SetInBufSize(128);
    driver.SetPacketSize(0);
    EXPECT_EQ(driver.PacketSize(), -1);
    driver.SetPacketSize(100);
    EXPECT_EQ(driver.PacketSize(), 100);
    driver.SetPacketSize(300); // grows the input buffer
    EXPECT_EQ(driver.PacketSize(), 300);
    EXPECT_EQ(driver.InBufSize(), 300u);
    driver.SetPacketSize(20000); // more than any buffer: the largest packet instead
    EXPECT_EQ(driver.PacketSize(), 8192);
    EXPECT_EQ(driver.InBufSize(), 8192u);

    PtyPair pty;
    TCommPortDriver open;
    open.SetInBufSize(256);
    open.SetPortName(pty.SlavePath());
    ASSERT_TRUE(open.Connect());
    open.SetPacketSize(1000); // the buffer cannot grow while open
    EXPECT_EQ(open.PacketSize(), 256);
    EXPECT_EQ(open.InBufSize(), 256u);
}

TEST(CommPortDriver, ConnectsToAPseudoTerminalAndIgnoresNameChangesWhileOpen)
{
    ManualPollTimers timers;
    PtyPair pty;
    TCommPortDriver driver;
    driver.SetPortName(pty.SlavePath());
    driver.SetBaudRateValue(19200);
    ASSERT_TRUE(driver.Connect()) << driver.LastFailure();
    EXPECT_TRUE(driver.Connected());
    EXPECT_TRUE(driver.Connect()); // already open: true, nothing changes
    ASSERT_NE(ManualPollTimer::Last, nullptr);
    EXPECT_TRUE(ManualPollTimer::Last->Running());
    EXPECT_EQ(ManualPollTimer::Last->PeriodMs, 50u);

    driver.SetPortName("/dev/null");
    driver.SetPort(pnCOM4);
    driver.SetInBufSize(512);
    EXPECT_EQ(driver.PortName(), pty.SlavePath());
    EXPECT_EQ(driver.InBufSize(), 2048u);
    // A pseudo-terminal has no modem lines: that is no failure, and the set is empty.
    EXPECT_EQ(driver.GetModemSignals(), 0);
    // Line settings of every kind apply while open.
    driver.SetParity(ptMARK);
    driver.SetStopBits(sb2BITS);
    driver.SetDataBits(db7BITS);
    driver.SetSwFlow(sfXONXOFF);
    driver.SetHwFlow(hfRTSCTS);
    driver.SetBaudRate(br256000);
    EXPECT_TRUE(driver.ApplyLineSettings()) << driver.LastFailure();
    EXPECT_TRUE(driver.Connected());

    driver.SetPollingDelay(20); // restarts the running timer
    EXPECT_EQ(ManualPollTimer::Last->PeriodMs, 20u);
    driver.Disconnect();
    EXPECT_FALSE(driver.Connected());
    EXPECT_FALSE(ManualPollTimer::Last->Running());
}

TEST(CommPortDriver, OpenIsExclusiveUntilClosed)
{
    PtyPair pty;
    TCommPortDriver first, second;
    first.SetPortName(pty.SlavePath());
    second.SetPortName(pty.SlavePath());
    ASSERT_TRUE(first.Connect());
    EXPECT_FALSE(second.Connect());
    EXPECT_FALSE(second.Connected());
    EXPECT_EQ(second.LastFailure().Kind, TFailureKind::fkBusy) << second.LastFailure();
    EXPECT_EQ(second.LastFailure().Device, pty.SlavePath());
    first.Disconnect();
    EXPECT_TRUE(second.Connect()) << second.LastFailure();
}

TEST(CommPortDriver, ConnectRefusesWhatIsNotASerialDevice)
{
    namespace fs = std::filesystem;
    const test::TScratchFolder folder("morlith-drv-");
    const fs::path dir = folder.Path();
    const fs::path file = dir / "plain.bin";
    std::ofstream(file) << "not a tty";

    const std::pair<std::string, TFailureKind> cases[] = {
        {(dir / "missing").string(), TFailureKind::fkNotFound},
        {dir.string(), TFailureKind::fkOs},
        {file.string(), TFailureKind::fkOs},
    };
    for (const auto &[path, kind] : cases) {
        TCommPortDriver driver;
        driver.SetPortName(path);
        EXPECT_FALSE(driver.Connect()) << path;
        EXPECT_FALSE(driver.Connected()) << path;
        EXPECT_EQ(driver.LastFailure().Kind, kind) << driver.LastFailure();
        EXPECT_EQ(driver.LastFailure().Device, path);
        EXPECT_NE(driver.LastFailure().Message().find(path), std::string::npos) << driver.LastFailure();
    }
    EXPECT_TRUE(fs::exists(file)); // never created, truncated or removed
}
