// SPDX-License-Identifier: MIT
// The board's layout as table rows: text cut by display width, which sockets get a line when the
// rows run out, and what gives way when a line is too long.

#include "BoardLayout.h"
#include "TextWidth.h"

#include <gtest/gtest.h>

namespace morlith {
namespace {

TEST(BoardLayout, TextIsCutByDisplayWidthAndNothingMovesTheCursor)
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
        // Wide characters take two columns: a cut never splits one, nor overshoots.
        {"ロット東京", 11, "ロット東京"},
        {"ロット東京", 10, "ロット東\xE2\x80\xA6"},
        {"ロット東京", 9, "ロット\xE2\x80\xA6"},
        {"ロット東京", 8, "ロット\xE2\x80\xA6"},
        {"ロット東京", 7, "ロッ\xE2\x80\xA6"},
        // A combining accent rides on its letter.
        {"Cafe\xCC\x81 noir", 6, "Cafe\xCC\x81\xE2\x80\xA6"},
        {"a\033[2Jb", 20, "a?[2Jb"},
        {"line\nbreak\r", 20, "line?break?"},
        {"rub\x7Fout", 20, "rub?out"},
        {"C1 \xC2\x9B" "control", 20, "C1 ?control"},
        {"turn \xE2\x80\xAEthis", 20, "turn ?this"},
        {"cut \xD0", 20, "cut ?"},
        {"bad \xFF\xFE bytes", 20, "bad ?? bytes"},
        {"over \xF0\x9F\x98", 20, "over ???"},
        {"long \xC0\xAF", 20, "long ??"},
        {"anything", 1, ""},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(FitToColumns(c.text, c.columns), c.fitted) << c.text << " in " << c.columns;
        EXPECT_LT(DisplayWidth(FitToColumns(c.text, c.columns)), std::max(c.columns, 1u)) << c.text;
    }
}

TSocketView Socket(const std::string &name, TSocketState state)
{
    TSocketView socket;
    socket.Name = name;
    socket.State = state;
    return socket;
}

// Sockets: W waiting, F failed, R at work (running), S stopped, O ok.
std::vector<TSocketView> Sockets(const std::string &states)
{
    std::vector<TSocketView> sockets;
    for (const char state : states) {
        const TSocketState s = state == 'F'   ? TSocketState::ssFailed
                               : state == 'R' ? TSocketState::ssWorking
                               : state == 'S' ? TSocketState::ssStopped
                               : state == 'O' ? TSocketState::ssOk
                                              : TSocketState::ssWaiting;
        sockets.push_back(Socket("COM" + std::to_string(sockets.size() + 1), s));
    }
    return sockets;
}

TEST(BoardLayout, FailingSocketsAreNeverOutOfSight)
{
    struct Case {
        const char *states;
        unsigned rows;
        std::vector<size_t> shown;
        size_t hidden, hiddenFailed, hiddenWorking;
        bool summary;
    };
    const Case cases[] = {
        // All fit (the counts' line and the cursor's row included): reading order.
        {"WFWR", 0, {0, 1, 2, 3}, 0, 0, 0, false},
        {"WFWR", 6, {0, 1, 2, 3}, 0, 0, 0, false},
        // One row short: failures first, then work, then stopped, then the rest.
        {"WFWR", 5, {1, 3}, 2, 0, 0, true},
        {"OWWSWRWWF", 6, {8, 5, 3}, 6, 0, 0, true},
        {"OWWSWRWWF", 5, {8, 5}, 7, 0, 0, true},
        {"FWFWFWF", 5, {0, 2}, 5, 2, 0, true},
        {"RWRWRWF", 4, {6}, 6, 0, 3, true},
        // Room for the summary and the counts alone, then for the counts alone.
        {"FRW", 3, {}, 3, 1, 1, true},
        {"FRW", 2, {}, 3, 1, 1, false},
        {"FRW", 1, {}, 3, 1, 1, false},
        {"", 1, {}, 0, 0, 0, false},
    };
    for (const Case &c : cases) {
        const TBoardPick pick = PickSockets(Sockets(c.states), c.rows);
        const std::string row = std::string(c.states) + " in " + std::to_string(c.rows) + " rows";
        EXPECT_EQ(pick.Shown, c.shown) << row;
        EXPECT_EQ(pick.Hidden, c.hidden) << row;
        EXPECT_EQ(pick.HiddenFailed, c.hiddenFailed) << row;
        EXPECT_EQ(pick.HiddenWorking, c.hiddenWorking) << row;
        EXPECT_EQ(pick.SummaryRow, c.summary) << row;
    }
}

TEST(BoardLayout, TheStepsNameGivesWayFirstThenTheSocketsNameThenTheState)
{
    const TBoardLineText failed{"COM7", "#1042", "failed: hangup at step 2 of 4", ": write-app main.xml, controller 3", ""};
    const TBoardLineText working{"COM12", "", "step 2 of 4", ": write-app main.xml, controller 3", " 45%"};
    const TBoardLineText longName{"pci-0000:00:14.0-usb-0:3:1.0", "", "ok in 3.2 s", "", ""};
    const TBoardLineText wide{"東京ライン1", "", "step 1 of 1", ": write-app", " 9%"};
    struct Case {
        const char *name;
        std::vector<TBoardLineText> texts;
        unsigned columns;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {"all fits; names and serials in columns", {failed, working}, 100,
         {"COM7   #1042  failed: hangup at step 2 of 4: write-app main.xml, controller 3",
          "COM12         step 2 of 4: write-app main.xml, controller 3 45%"}},
        {"the file is cut, the percentage kept", {failed, working}, 60,
         {"COM7   #1042  failed: hangup at step 2 of 4: write-app mai…",
          "COM12         step 2 of 4: write-app main.xml, control… 45%"}},
        {"then the middle goes", {working}, 24, {"COM12  step 2 of 4… 45%"}},
        {"with no room for even the cut, the middle is left out", {working}, 23, {"COM12  step 2 of 4 45%"}},
        {"a long name gives way to the state", {longName, working}, 40,
         {"pci-0000:00:14.0-usb-…  ok in 3.2 s", "COM12                   step 2 of 4 45%"}},
        {"but keeps a few columns; the state is cut last", {longName}, 16, {"pci-000…  ok i…"}},
        {"wide names take their width", {wide, working}, 40,
         {"東京ライン1  step 1 of 1: write-app 9%", "COM12        step 2 of 4: write-ap… 45%"}},
        {"too narrow for anything", {working}, 1, {""}},
    };
    for (const Case &c : cases) {
        const std::vector<std::string> lines = LayOutBoardLines(c.texts, c.columns);
        EXPECT_EQ(lines, c.lines) << c.name;
        for (const std::string &line : lines)
            EXPECT_LT(DisplayWidth(line), std::max(c.columns, 1u)) << c.name << ": " << line;
    }
}

} // namespace
} // namespace morlith
