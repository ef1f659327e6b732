// SPDX-License-Identifier: MIT
// The station board's words: each socket's line, more sockets than rows, the lot's counts, colour.

#include "NumberText.h"
#include "StationBoard.h"

#include <gtest/gtest.h>

namespace morlith::cli {
namespace {

TEST(StationBoard, SocketsBeyondTheRowsAreSummedUpAndTheCountsStayLast)
{
    std::vector<TSocketView> sockets;
    for (int i = 1; i <= 30; ++i) {
        TSocketView socket;
        socket.Name = "COM" + std::to_string(i);
        socket.State = i % 3 == 0 ? TSocketState::ssWorking : TSocketState::ssWaiting;
        socket.Serial = i == 2 ? std::optional<uint64_t>(1042) : std::nullopt;
        sockets.push_back(socket);
    }
    sockets[28].State = TSocketState::ssFailed;
    sockets[28].FailureKind = "hangup";
    const TLotCounts counts{9, 1, 2};
    struct Case {
        unsigned rows;
        size_t lines;
        std::string first; // the first line
        std::string beforeCounts; // the line above the counts
    };
    const Case cases[] = {
        {0, 31, "COM1", "COM30         working"},
        {40, 31, "COM1", "COM30         working"},
        {31, 30, "COM29         failed: hangup", "and 2 more sockets"},
        {10, 9, "COM29  failed: hangup", "and 23 more sockets: 4 working"},
        {3, 2, "and 30 more sockets: 1 failed, 10 working", "and 30 more sockets: 1 failed, 10 working"},
        {1, 1, "lot L-1", ""},
    };
    for (const Case &c : cases) {
        const std::vector<std::string> lines = BoardLines(sockets, "L-1", counts, 80, c.rows, false);
        ASSERT_EQ(lines.size(), c.lines) << c.rows << " rows";
        EXPECT_EQ(lines.front().rfind(c.first, 0), 0u) << lines.front();
        EXPECT_EQ(lines.back(), "lot L-1: 12 units, 9 ok, 1 failed, 2 stopped, yield 90.0 %");
        if (lines.size() > 1) {
            EXPECT_EQ(lines[lines.size() - 2].rfind(c.beforeCounts, 0), 0u) << lines[lines.size() - 2];
        }
    }
    EXPECT_EQ(BoardLines(sockets, "", {}, 80, 0, false)[1], "COM2   #1042  waiting");
    EXPECT_EQ(BoardLines(sockets, "", {}, 80, 0, false).back(), "this run: 0 units, 0 ok, 0 failed, yield -");
}

// Each state in words; with colour, the line in its state's colour, ended; the counts uncoloured.
TEST(StationBoard, EachStateHasItsWordsAndItsColour)
{
    struct Case {
        TSocketState state;
        int percent;
        std::string line;
        std::string colour; // "" for none
    };
    const Case cases[] = {
        {TSocketState::ssWaiting, -1, "S  waiting", ""},
        {TSocketState::ssLeftAlone, -1, "S  left alone: plug the unit in again to start", ""},
        {TSocketState::ssWorking, 45, "S  step 2 of 3: write-app 45%", "\033[36m"},
        {TSocketState::ssWorking, -1, "S  step 2 of 3: write-app", "\033[36m"},
        {TSocketState::ssOk, -1, "S  ok in 1.5 s", "\033[32m"},
        {TSocketState::ssFailed, -1, "S  failed: no_reply at step 2 of 3: write-app", "\033[1;31m"},
        {TSocketState::ssStopped, -1, "S  stopped at step 2 of 3: write-app", "\033[33m"},
    };
    for (const Case &c : cases) {
        TSocketView socket;
        socket.Name = "S";
        socket.State = c.state;
        socket.Step = 2;
        socket.Steps = 3;
        socket.StepName = "write-app";
        socket.Percent = c.percent;
        socket.FailureKind = "no_reply";
        socket.Seconds = 1.5;
        EXPECT_EQ(BoardLines({socket}, "", {}, 80, 0, false).front(), c.line);
        const std::vector<std::string> coloured = BoardLines({socket}, "", {}, 80, 0, true);
        EXPECT_EQ(coloured.front(), c.colour.empty() ? c.line : c.colour + c.line + "\033[0m");
        EXPECT_EQ(coloured.back().find('\033'), std::string::npos) << coloured.back();
    }
}

} // namespace
} // namespace morlith::cli
