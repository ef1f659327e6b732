// SPDX-License-Identifier: MIT
#include "UnitSummary.h"

#include <gtest/gtest.h>

using namespace morlith;

namespace {

TUnitRow Row(const std::string &unit, std::optional<uint64_t> serial, const std::string &station,
             const std::string &socket, const std::string &result, int64_t time, const std::string &lot = "L")
{
    TUnitRow row;
    row.Unit = unit;
    row.Serial = serial;
    row.Station = station;
    row.Socket = socket;
    row.Result = result;
    row.TimeMs = time;
    row.Lot = lot;
    return row;
}

// The summary of a lot (station and socket ""), of a station (socket "") or of a socket.
const TUnitSummary *Find(const std::vector<TUnitSummary> &summaries, const std::string &lot, const std::string &station,
                         const std::string &socket, TSummaryScope scope = TSummaryScope::ssLot)
{
    if (scope == TSummaryScope::ssLot && !station.empty())
        scope = socket.empty() ? TSummaryScope::ssStation : TSummaryScope::ssSocket;
    for (const TUnitSummary &summary : summaries)
        if (summary.Scope == scope && summary.Lot == lot && summary.Station == station && summary.Socket == socket)
            return &summary;
    return nullptr;
}

} // namespace

// Serial 1 fails on A/COM1 and passes when reworked on B/COM1; serial 2 passes first time on A/COM2;
// serial 3 fails twice on A/COM1; a unit without a serial passes on B/COM2; one was left started,
// one stopped, and an empty socket recorded nothing that counts. The rows arrive out of order.
TEST(UnitSummary, FirstPassAndFinalYieldPerLotStationAndSocket)
{
    const std::vector<TUnitRow> rows = {
        Row("u4", 1, "B", "COM1", "ok", 400),      Row("u1", 1, "A", "COM1", "failed", 100),
        Row("u2", 2, "A", "COM2", "ok", 200),      Row("u3", 3, "A", "COM1", "failed", 300),
        Row("u5", 3, "A", "COM1", "failed", 500),  Row("u6", std::nullopt, "B", "COM2", "ok", 600),
        Row("u7", 7, "A", "COM2", "started", 700), Row("u8", 8, "B", "COM2", "stopped", 800),
        Row("u9", std::nullopt, "B", "COM1", "empty", 900),
    };
    const std::vector<TUnitSummary> summaries = SummarizeUnits(rows);
    const struct {
        const char *Station, *Socket;
        uint64_t Ok, Failed, Stopped, Interrupted, FirstTried, FirstPassed, Units, FinalPassed;
    } expected[] = {
        {"", "", 3, 3, 1, 1, 4, 2, 4, 3},
        {"A", "", 1, 3, 0, 1, 3, 1, 3, 1},
        {"A", "COM1", 0, 3, 0, 0, 2, 0, 2, 0},
        {"A", "COM2", 1, 0, 0, 1, 1, 1, 1, 1},
        {"B", "", 2, 0, 1, 0, 1, 1, 2, 2},
        {"B", "COM1", 1, 0, 0, 0, 0, 0, 1, 1},
        {"B", "COM2", 1, 0, 1, 0, 1, 1, 1, 1},
    };
    ASSERT_EQ(summaries.size(), std::size(expected));
    for (const auto &row : expected) {
        const TUnitSummary *summary = Find(summaries, "L", row.Station, row.Socket);
        ASSERT_TRUE(summary) << row.Station << "/" << row.Socket;
        const std::string where = std::string(row.Station) + "/" + row.Socket;
        EXPECT_EQ(summary->Ok, row.Ok) << where;
        EXPECT_EQ(summary->Failed, row.Failed) << where;
        EXPECT_EQ(summary->Stopped, row.Stopped) << where;
        EXPECT_EQ(summary->Interrupted, row.Interrupted) << where;
        EXPECT_EQ(summary->FirstTried, row.FirstTried) << where;
        EXPECT_EQ(summary->FirstPassed, row.FirstPassed) << where;
        EXPECT_EQ(summary->Units, row.Units) << where;
        EXPECT_EQ(summary->FinalPassed, row.FinalPassed) << where;
    }
    EXPECT_DOUBLE_EQ(*Find(summaries, "L", "", "")->FirstPassYield(), 0.5);
    EXPECT_DOUBLE_EQ(*Find(summaries, "L", "", "")->FinalYield(), 0.75);
    EXPECT_FALSE(Find(summaries, "L", "B", "COM1")->FirstPassYield());
}

TEST(UnitSummary, LotsStayApartAndAStationWithoutANameIsNoLot)
{
    TUnitRow early = Row("a", 1, "", "COM1", "failed", 500, "L1");
    early.StartedMs = 50; // started before "b", ended after it
    const std::vector<TUnitSummary> summaries =
        SummarizeUnits({Row("b", 1, "", "COM1", "ok", 100, "L1"), early, Row("c", 2, "", "COM1", "ok", 100, "L2")});
    ASSERT_EQ(summaries.size(), 6u);
    const TUnitSummary *lot = Find(summaries, "L1", "", "");
    ASSERT_TRUE(lot);
    EXPECT_EQ(lot->Units, 1u);
    EXPECT_EQ(lot->FirstTried, 1u);
    EXPECT_EQ(lot->FirstPassed, 0u); // "a" was the first try
    EXPECT_EQ(lot->FinalPassed, 1u);
    EXPECT_EQ(Find(summaries, "L2", "", "")->Ok, 1u);
    ASSERT_TRUE(Find(summaries, "L1", "", "", TSummaryScope::ssStation));
    EXPECT_EQ(Find(summaries, "L1", "", "COM1", TSummaryScope::ssSocket)->Failed, 1u);
    EXPECT_TRUE(SummarizeUnits({}).empty());
}
