// SPDX-License-Identifier: MIT
// The board's model (sockets as their units come and go, in reading order) and the lot's counts
// read from the production log.

#include "Board.h"
#include "LotRecords.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace morlith {

bool operator==(const TLotCounts &a, const TLotCounts &b)
{
    return a.Ok == b.Ok && a.Failed == b.Failed && a.Stopped == b.Stopped;
}

namespace {

TWatchedPort Port(const std::string &key) { return {key, TPortChoice{key, 0, "/dev/" + key}, "/dev/pts/" + key}; }

TEST(Board, SocketsAreInTheOrderAPersonReadsThem)
{
    std::vector<std::string> names = {"COM10", "COM9", "socket 2", "COM1", "socket 10", "COM010", "COM02",
                                      "pci-0000:00:14.0-usb-0:3:1.0", "pci-0000:00:14.0-usb-0:10:1.0"};
    std::sort(names.begin(), names.end(), SocketNameBefore);
    EXPECT_EQ(names, (std::vector<std::string>{"COM1", "COM02", "COM9", "COM010", "COM10",
                                               "pci-0000:00:14.0-usb-0:3:1.0", "pci-0000:00:14.0-usb-0:10:1.0",
                                               "socket 2", "socket 10"}));
}

// A socket through its units: left alone, waiting once that unit is taken out, a single command as
// step 1 of 1, a recipe's steps, and the end kept (serial included) until the next unit starts.
TEST(Board, ASocketFollowsItsUnits)
{
    TBoard board([](const TWatchedPort &port) { return "socket " + port.Key; });
    board.PortsChanged({Port("2"), Port("10")}, true);
    EXPECT_EQ(board.Sockets()[0].State, TSocketState::ssLeftAlone);
    EXPECT_EQ(board.Sockets()[1].Name, "socket 10");
    board.PortsChanged({Port("10")}, false);
    EXPECT_EQ(board.Sockets()[0].State, TSocketState::ssWaiting);
    EXPECT_EQ(board.Sockets()[1].State, TSocketState::ssLeftAlone);

    board.PortsChanged({Port("2"), Port("10")}, false);
    board.Started("2", "write-app");
    TSocketView socket = board.Sockets()[0];
    EXPECT_EQ(socket.State, TSocketState::ssWorking);
    EXPECT_EQ(socket.Step, 1u);
    EXPECT_EQ(socket.Steps, 1u);
    EXPECT_EQ(socket.StepName, "write-app");
    board.Progressed("2", 45);
    EXPECT_EQ(board.Sockets()[0].Percent, 45);
    board.Finished("2", TSocketState::ssFailed, "no_reply", std::nullopt, 1.5);
    socket = board.Sockets()[0];
    EXPECT_EQ(socket.State, TSocketState::ssFailed);
    EXPECT_EQ(socket.FailureKind, "no_reply");
    EXPECT_EQ(socket.StepName, "write-app");
    EXPECT_EQ(socket.Percent, -1);

    board.Started("10", "");
    EXPECT_EQ(board.Sockets()[1].Steps, 0u);
    board.SerialReserved("10", 1042);
    board.StepStarted("10", 1, 4, "write-dseg");
    socket = board.Sockets()[1];
    EXPECT_EQ(socket.Step, 2u);
    EXPECT_EQ(socket.Steps, 4u);
    board.Finished("10", TSocketState::ssOk, "", std::nullopt, 9.8);
    EXPECT_EQ(board.Sockets()[1].Serial, 1042u);
    // Taken out, the socket still says how its unit ended.
    board.PortsChanged({}, false);
    EXPECT_EQ(board.Sockets()[1].State, TSocketState::ssOk);
    board.Started("10", "connect");
    EXPECT_FALSE(board.Sockets()[1].Serial);
}

class LotRecords : public ::testing::Test {
protected:
    void SetUp() override
    {
        Log = (std::filesystem::temp_directory_path() / ("lot-records-" + std::to_string(::getpid()) + ".jsonl")).string();
        std::filesystem::remove(Log);
    }
    void TearDown() override { std::filesystem::remove(Log); }
    void Append(const std::string &text)
    {
        std::ofstream(Log, std::ios::app | std::ios::binary) << text;
    }
    TLotCounts Read(TLotRecords &lot)
    {
        TFailure failure;
        EXPECT_TRUE(lot.Read(failure)) << failure.Message();
        return lot.Counts();
    }
    std::string Log;
};

// Unit and command records of the lot count by result; other lots, other lines and a line still
// being written do not; a log replaced by a shorter one is counted anew.
TEST_F(LotRecords, TheLotsRecordsAreCountedByResult)
{
    TLotRecords lot("L-7", Log);
    EXPECT_EQ(Read(lot), (TLotCounts{0, 0, 0})) << "no log yet";
    Append(R"({"schema":"unit/1","lot":"L-7","result":"ok"})" "\n"
           R"({"command":"connect","lot":"L-7","result":"ok"})" "\n"
           R"({"lot":"L-7","result":"failed","error":{"kind":"no_reply"}})" "\n"
           R"({"lot":"L-7","result":"failed","error":{"kind":"stopped"}})" "\n"
           R"({"lot":"L-70","result":"ok"})" "\n"
           R"({"lot":"l-7","result":"ok"})" "\n"
           R"({"result":"ok","note":"L-7"})" "\n"
           "L-7 is not a record\n"
           R"({"lot":"L-7","res)");
    EXPECT_EQ(Read(lot), (TLotCounts{2, 1, 1}));
    Append(R"(ult":"ok"})" "\n");
    EXPECT_EQ(Read(lot), (TLotCounts{3, 1, 1})) << "the line once whole";
    EXPECT_EQ(Read(lot), (TLotCounts{3, 1, 1})) << "nothing counted twice";
    std::filesystem::remove(Log);
    Append(R"({"lot":"L-7","result":"failed","error":{"kind":"hangup"}})" "\n");
    EXPECT_EQ(Read(lot), (TLotCounts{0, 1, 0}));

    // A name that JSON escapes is found all the same.
    TLotRecords quoted("say \"7\"", Log);
    Append(R"({"lot":"say \"7\"","result":"ok"})" "\n");
    EXPECT_EQ(Read(quoted), (TLotCounts{1, 0, 0}));
}

// Without a log or a lot the counts are the run's own; with both, a unit counts through its record.
TEST_F(LotRecords, WithoutRecordsTheRunCountsItsOwnUnits)
{
    TFailure failure;
    for (TLotRecords lot : {TLotRecords("", Log), TLotRecords("L-7", "")}) {
        Append(R"({"lot":"L-7","result":"ok"})" "\n");
        EXPECT_TRUE(lot.Read(failure));
        EXPECT_TRUE(lot.Ended(TSocketState::ssStopped, failure));
        EXPECT_TRUE(lot.Ended(TSocketState::ssFailed, failure));
        EXPECT_EQ(lot.Counts(), (TLotCounts{0, 1, 1}));
    }
    TLotRecords logged("L-7", Log);
    EXPECT_TRUE(logged.Ended(TSocketState::ssFailed, failure));
    EXPECT_EQ(logged.Counts(), (TLotCounts{2, 0, 0}));
}

} // namespace
} // namespace morlith
