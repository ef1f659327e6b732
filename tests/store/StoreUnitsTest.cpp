// SPDX-License-Identifier: MIT
#include "FreshStore.h"
#include "ScratchFolder.h"
#include "StoreUnits.h"
#include "UnitSummary.h"
#include "UtcTime.h"

#include <fstream>

using namespace morlith;
using namespace morlith::test;

namespace {

std::string UnitLine(const std::string &unit, const std::string &serial, const std::string &result,
                     const std::string &time, const std::string &station = "S1", const std::string &lot = "L-17")
{
    return R"({"schema":"unit/1","time":")" + time + R"(","unit":")" + unit + R"(")" +
           (serial.empty() ? "" : R"(,"serial":)" + serial) + R"(,"station":")" + station + R"(","lot":")" + lot +
           R"(","port":"COM1","recipe":{"path":"r.toml","sha256":"ab"},"result":")" + result + R"("})";
}

TUnitRow Row(const std::string &line)
{
    const std::optional<TUnitRow> row = ParseUnitLine(line);
    EXPECT_TRUE(row) << line;
    return row.value_or(TUnitRow());
}

} // namespace

TEST(StoreUnits, AStartedRecordIsCompletedOnceAndNothingArrivesTwice)
{
    TStore store(FreshStoreAddress());
    TFailure failure;
    uint64_t changed = 0;
    const std::string started = UnitLine("u1", "18446744073709551615", "started", "2026-12-07T10:00:00.000Z");
    const std::string ended = UnitLine("u1", "18446744073709551615", "ok", "2026-12-07T10:00:09.500Z");
    ASSERT_TRUE(WriteUnits(store, {Row(started)}, changed, failure)) << failure;
    EXPECT_EQ(changed, 1u);
    ASSERT_TRUE(WriteUnits(store, {Row(started)}, changed, failure)) << failure;
    EXPECT_EQ(changed, 0u);
    ASSERT_TRUE(WriteUnits(store, {Row(ended)}, changed, failure)) << failure;
    EXPECT_EQ(changed, 1u);
    // The same final record again, a late "started" and another ending change nothing.
    const std::string other = UnitLine("u1", "18446744073709551615", "failed", "2026-12-07T10:00:10.000Z");
    ASSERT_TRUE(WriteUnits(store, {Row(ended), Row(started), Row(other)}, changed, failure)) << failure;
    EXPECT_EQ(changed, 0u);
    std::vector<TUnitRow> units;
    ASSERT_TRUE(FindUnits(store, {UINT64_MAX, "", "", "", 0}, units, failure)) << failure;
    ASSERT_EQ(units.size(), 1u);
    EXPECT_EQ(units[0].Result, "ok");
    EXPECT_EQ(units[0].Serial, UINT64_MAX);
    EXPECT_EQ(units[0].Line, ended);
    EXPECT_EQ(units[0].StartedMs, ParseUtcTime("2026-12-07T10:00:00.000Z")->time_since_epoch().count());
    EXPECT_EQ(units[0].TimeMs, ParseUtcTime("2026-12-07T10:00:09.500Z")->time_since_epoch().count());
    EXPECT_EQ(units[0].Socket, "COM1");
    EXPECT_EQ(units[0].RecipeSha256, "ab");
}

TEST(StoreUnits, PushSendsWhatTheStoreLacksAndQueriesFindIt)
{
    TStore store(FreshStoreAddress());
    TScratchFolder folder;
    const std::string log = folder.File("line.jsonl");
    {
        std::ofstream out(log);
        out << UnitLine("a", "7", "started", "2026-12-07T10:00:00.000Z") << "\n"
            << R"({"schema":1,"time":"2026-12-07T10:00:01.000Z","command":"connect","result":"ok"})" << "\n"
            << UnitLine("a", "7", "failed", "2026-12-07T10:00:05.000Z") << "\n"
            << "a line cut sho\n"
            << UnitLine("b", "7", "ok", "2026-12-07T10:01:00.000Z", "S2") << "\n"
            << UnitLine("c", "9007199254740993", "ok", "2026-12-07T10:02:00.000Z", "S1", "L-18") << "\n"
            << UnitLine("d", "", "started", "2026-12-07T10:03:00.000Z") << "\n";
    }
    TPushCount count;
    TFailure failure;
    ASSERT_TRUE(PushLog(store, log, count, failure)) << failure;
    EXPECT_EQ(count.Lines, 7u);
    EXPECT_EQ(count.Records, 5u);
    EXPECT_EQ(count.New, 4u);
    ASSERT_TRUE(PushLog(store, log, count, failure)) << failure;
    EXPECT_EQ(count.New, 0u);

    const struct {
        TUnitQuery Query;
        std::vector<std::string> Units;
    } rows[] = {
        {{7, "", "", "", 0}, {"a", "b"}},
        {{9007199254740993ull, "", "", "", 0}, {"c"}},
        {{9007199254740992ull, "", "", "", 0}, {}},
        {{std::nullopt, "b", "", "", 0}, {"b"}},
        {{std::nullopt, "", "S1", "", 0}, {"a", "c", "d"}},
        {{std::nullopt, "", "", "L-18", 0}, {"c"}},
        {{std::nullopt, "", "S1", "L-17", 0}, {"a", "d"}},
        {{std::nullopt, "", "", "", 2}, {"a", "b"}},
    };
    for (const auto &row : rows) {
        std::vector<TUnitRow> units;
        ASSERT_TRUE(FindUnits(store, row.Query, units, failure)) << failure;
        std::vector<std::string> ids;
        for (const TUnitRow &unit : units)
            ids.push_back(unit.Unit);
        EXPECT_EQ(ids, row.Units);
    }
    // The lot's yield from the store: serial 7 failed first on S1 and passed on S2; "d" never ended.
    std::vector<TUnitRow> lot;
    ASSERT_TRUE(FindUnits(store, {std::nullopt, "", "", "L-17", 0}, lot, failure));
    const TUnitSummary summary = SummarizeUnits(lot).front();
    EXPECT_EQ(summary.Scope, TSummaryScope::ssLot);
    EXPECT_EQ(summary.FirstPassed, 0u);
    EXPECT_EQ(summary.FirstTried, 1u);
    EXPECT_EQ(summary.FinalPassed, 1u);
    EXPECT_EQ(summary.Interrupted, 1u);

    EXPECT_FALSE(PushLog(store, folder.File("missing.jsonl"), count, failure));
    EXPECT_EQ(failure.Kind, TFailureKind::fkNotFound);
}
