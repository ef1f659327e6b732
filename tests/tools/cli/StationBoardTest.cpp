// SPDX-License-Identifier: MIT
// The station board's text: names that could break a terminal, lines cut to its width, more
// sockets than rows.

#include "NumberText.h"
#include "StationBoard.h"

#include <gtest/gtest.h>

namespace morlith::cli {
namespace {

TEST(StationBoard, TextIsCutAtCharactersAndNothingMovesTheCursor)
{
    struct Case {
        std::string text;
        unsigned columns;
        std::string fitted;
    };
    const Case cases[] = {
        {"COM1", 10, "COM1"},
        {"123456789", 10, "123456789"},
        {"1234567890", 10, "12345678\xE2\x80\xA6"},
        {"Партия", 5, "Пар\xE2\x80\xA6"},
        {"Партия", 7, "Партия"},
        {"a\033[2Jb", 20, "a?[2Jb"},
        {"line\nbreak\r", 20, "line?break?"},
        {"rub\x7Fout", 20, "rub?out"},
        {"C1 \xC2\x9B" "control", 20, "C1 ?control"},
        {"cut \xD0", 20, "cut ?"},
        {"bad \xFF\xFE bytes", 20, "bad ?? bytes"},
        {"over \xF0\x9F\x98", 20, "over ???"},
        {"anything", 1, ""},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(FitToColumns(c.text, c.columns), c.fitted) << c.text << " in " << c.columns;
        EXPECT_LT(DisplayWidth(FitToColumns(c.text, c.columns)), std::max(c.columns, 1u)) << c.text;
    }
}

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
    const TLotCounts counts{9, 1, 2};
    struct Case {
        unsigned rows;
        size_t lines;
        std::string beforeCounts; // the line above the counts
    };
    const Case cases[] = {
        {0, 31, "COM30         working"},
        {40, 31, "COM30         working"},
        {31, 30, "and 2 more sockets, 1 of them working"},
        {10, 9, "and 23 more sockets, 8 of them working"},
        {3, 2, "and 30 more sockets, 10 of them working"},
        {1, 1, ""},
    };
    for (const Case &c : cases) {
        const std::vector<std::string> lines = BoardLines(sockets, "L-1", counts, 80, c.rows);
        ASSERT_EQ(lines.size(), c.lines) << c.rows << " rows";
        EXPECT_EQ(lines.back(), "lot L-1: 12 units, 9 ok, 1 failed, 2 stopped, yield 90.0 %");
        if (lines.size() > 1) {
            EXPECT_EQ(lines[lines.size() - 2].rfind(c.beforeCounts, 0), 0u) << lines[lines.size() - 2];
        }
    }
    EXPECT_EQ(BoardLines(sockets, "", {}, 80, 0)[1], "COM2   #1042  waiting");
    EXPECT_EQ(BoardLines(sockets, "", {}, 80, 0).back(), "this run: 0 units, 0 ok, 0 failed, yield -");
}

} // namespace
} // namespace morlith::cli
