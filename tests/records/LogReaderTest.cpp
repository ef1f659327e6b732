// SPDX-License-Identifier: MIT
// Reading records back: which records each filter lets through, a started unit that ended or
// never did, serials exact over 64 bits, and the CSV's cells.

#include "FailureJson.h"
#include "LogExport.h"
#include "LogReader.h"
#include "ScratchFolder.h"
#include "UnitRecord.h"
#include "WholeFiles.h"

#include <gtest/gtest.h>

#include <fstream>

using namespace morlith;

namespace {

// A unit record written at minute `minute` of 2026-12-07 10:00.
std::string Unit(const std::string &unit, const std::string &serial, const std::string &result, int minute,
                 const std::string &station = "S1", const std::string &lot = "L-17")
{
    return R"({"schema":"unit/1","time":"2026-12-07T10:)" + std::string(minute < 10 ? "0" : "") +
           std::to_string(minute) + R"(:00.000Z","unit":")" + unit + R"(")" +
           (serial.empty() ? "" : R"(,"serial":)" + serial) + R"(,"station":")" + station + R"(","lot":")" + lot +
           R"(","port":"COM1","recipe":{"path":"r.toml","sha256":"ab"},"result":")" + result + R"("})";
}

const std::string kCommand = R"({"schema":1,"time":"2026-12-07T10:30:00.000Z","command":"connect","port":"COM9",)"
                             R"("station":"S2","lot":"L-18","result":"ok"})";

class LogReaderTest : public ::testing::Test {
protected:
    // Reads `lines` as a log with `filter`: the unit ids (a command: "command") given, "!" after
    // an interrupted one.
    std::string Read(const std::vector<std::string> &lines, const TLogFilter &filter = {})
    {
        std::ofstream file(FPath, std::ios::binary | std::ios::trunc);
        for (const std::string &line : lines)
            file << line << "\n";
        file.close();
        std::string given;
        TFailure failure;
        EXPECT_TRUE(ReadLogFile(
            FPath, filter,
            [&given](const TLogEntry &entry) {
                const std::string unit = JsonTextOf(entry.Record, "unit");
                given += (given.empty() ? "" : " ") + (unit.empty() ? "command" : unit) + (entry.Interrupted ? "!" : "");
            },
            Unreadable, failure))
            << failure;
        return given;
    }

    test::TScratchFolder FFolder{"morlith-reader-"};
    const std::string FPath = FFolder.File("line.jsonl");
    uint64_t Unreadable = 0;
};

TEST_F(LogReaderTest, EachFilterLetsThroughItsRecordsOnly)
{
    const std::vector<std::string> log = {
        Unit("u1", "7", "ok", 1),
        Unit("u2", "18446744073709551615", "failed", 2, "S2"),
        Unit("u3", "-1", "ok", 3, "S1", "L-18"),
        Unit("u4", "9007199254740993", "empty", 4),
        Unit("u5", "\"9007199254740992\"", "stopped", 5),
        kCommand,
    };
    const auto filter = [](auto set) {
        TLogFilter f;
        set(f);
        return f;
    };
    const struct {
        const char *Name;
        TLogFilter Filter;
        const char *Given;
    } rows[] = {
        {"none", {}, "u1 u2 u3 u4 u5 command"},
        {"since, to the ms", filter([](TLogFilter &f) { f.Since = ParseUtcTime("2026-12-07T10:03:00.000Z"); }),
         "u3 u4 u5 command"},
        {"since, a ms later", filter([](TLogFilter &f) { f.Since = ParseUtcTime("2026-12-07T10:03:00.001Z"); }),
         "u4 u5 command"},
        {"failed: not ok and not empty", filter([](TLogFilter &f) { f.FailedOnly = true; }), "u2 u5"},
        {"serial 2^64-1 as written and as an older writer's -1",
         filter([](TLogFilter &f) { f.Serial = UINT64_MAX; }), "u2 u3"},
        {"serial 2^53+1, not its double", filter([](TLogFilter &f) { f.Serial = 9007199254740993ull; }), "u4"},
        {"serial 2^53 as text", filter([](TLogFilter &f) { f.Serial = 9007199254740992ull; }), "u5"},
        {"serial 0 is a serial", filter([](TLogFilter &f) { f.Serial = 0; }), ""},
        {"unit", filter([](TLogFilter &f) { f.Unit = "u3"; }), "u3"},
        {"station, commands too", filter([](TLogFilter &f) { f.Station = "S2"; }), "u2 command"},
        {"lot, commands too", filter([](TLogFilter &f) { f.Lot = "L-18"; }), "u3 command"},
        {"all at once", filter([](TLogFilter &f) {
             f.Lot = "L-17";
             f.Station = "S2";
             f.FailedOnly = true;
         }),
         "u2"},
    };
    for (const auto &row : rows)
        EXPECT_EQ(Read(log, row.Filter), row.Given) << row.Name;
}

TEST_F(LogReaderTest, AStartedUnitStandsOnlyUntilItEnds)
{
    EXPECT_EQ(Read({Unit("u1", "7", "started", 1), Unit("u2", "8", "started", 2), Unit("u1", "7", "ok", 3),
                    Unit("u3", "9", "started", 4)}),
              "u2! u1 u3!");
    // A record that ended before the unit was started again does not end the new start.
    EXPECT_EQ(Read({Unit("u1", "7", "ok", 1), Unit("u1", "7", "started", 2)}), "u1 u1!");
    // --failed lets an interrupted unit through, not one that ended ok.
    TLogFilter failed;
    failed.FailedOnly = true;
    EXPECT_EQ(Read({Unit("u1", "7", "started", 1), Unit("u1", "7", "ok", 2), Unit("u2", "8", "started", 3)}, failed),
              "u2!");
}

TEST_F(LogReaderTest, LinesThatAreNoRecordAreCountedAndAMissingLogIsNotFound)
{
    EXPECT_EQ(Read({"not json", "", "  \r", "[1]", R"({"time":"yesterday"})", Unit("u1", "", "ok", 1), "{\"cut\":"}),
              "u1");
    EXPECT_EQ(Unreadable, 4u);
    TFailure failure;
    EXPECT_FALSE(ReadLogFile(FFolder.File("missing.jsonl"), {}, [](const TLogEntry &) {}, Unreadable, failure));
    EXPECT_EQ(failure.Kind, TFailureKind::fkNotFound) << failure;
    failure = {};
    EXPECT_FALSE(ReadLogFile(FFolder.Path(), {}, [](const TLogEntry &) {}, Unreadable, failure));
    EXPECT_TRUE(failure.Failed());
}

// The cells of one record as CSV gives them, by column name.
std::map<std::string, std::string> Cells(const std::string &line, bool interrupted = false)
{
    const nlohmann::json record = nlohmann::json::parse(line);
    const std::vector<std::string> cells = CsvCells({record, line, interrupted});
    EXPECT_EQ(cells.size(), CsvColumns().size());
    std::map<std::string, std::string> named;
    for (size_t i = 0; i < cells.size() && i < CsvColumns().size(); ++i)
        named[CsvColumns()[i]] = cells[i];
    return named;
}

TEST(LogCsv, SerialsHashesHostAndVersionAreExact)
{
    const struct {
        const char *Serial;
        const char *Cell;
    } serials[] = {{"9007199254740993", "9007199254740993"},
                   {"18446744073709551615", "18446744073709551615"},
                   {"-9223372036854775808", "9223372036854775808"},
                   {"\"42\"", "42"},
                   {"null", ""},
                   {"1.5", ""}};
    for (const auto &row : serials)
        EXPECT_EQ(Cells(Unit("u", row.Serial, "ok", 1))["serial"], row.Cell) << row.Serial;

    const std::string unit =
        R"({"schema":"unit/1","time":"2026-12-07T10:00:00.000Z","unit":"u","host":"bench-3","version":"2.1.0",)"
        R"("recipe":{"path":"r.toml","sha256":"feed"},"steps":[{"command":"write-app","sha256":"aa"},)"
        R"({"command":"write-dseg","sha256":"dd"},{"command":"write-app","sha256":"bb"},)"
        R"({"command":"write-app","sha256":"aa"}],"result":"started","failed_step":2,"duration_ms":1200})";
    auto cells = Cells(unit, true);
    EXPECT_EQ(cells["firmware_sha256"], "aa bb");
    EXPECT_EQ(cells["recipe_sha256"], "feed");
    EXPECT_EQ(cells["host"], "bench-3");
    EXPECT_EQ(cells["version"], "2.1.0");
    EXPECT_EQ(cells["result"], "interrupted");
    EXPECT_EQ(cells["failed_step"], "2");
    EXPECT_EQ(cells["duration_ms"], "1200");

    cells = Cells(R"({"schema":1,"time":"2026-12-07T10:00:00.000Z","command":"write-app","controller":3,)"
                  R"("package":{"path":"fw.xml","sha256":"cc"},"result":"ok","duration_ms":-5})");
    EXPECT_EQ(cells["firmware_sha256"], "cc");
    EXPECT_EQ(cells["recipe_sha256"], "");
    EXPECT_EQ(cells["controller"], "3");
    EXPECT_EQ(cells["duration_ms"], "") << "a negative count is no count";
    EXPECT_EQ(CsvColumns().back(), "version") << "new columns go last";
    EXPECT_EQ(CsvColumns()[16], "duration_ms");
}

TEST(LogJson, SerialsAreWrittenAndGivenBackUnsigned)
{
    TUnitRecord record;
    record.Tool = "morlith-cli";
    record.UnitId = "u";
    record.Serial = UINT64_MAX;
    const std::string line = UnitRecordLine(record);
    EXPECT_NE(line.find(R"("serial":18446744073709551615,)"), std::string::npos) << line;
    record.Serial = 9007199254740993ull;
    EXPECT_NE(UnitRecordLine(record).find(R"("serial":9007199254740993,)"), std::string::npos);

    const std::string older = Unit("u", "-2", "ok", 1);
    const nlohmann::json parsed = nlohmann::json::parse(older);
    const std::string given = RecordLineWithExactSerial({parsed, older, false});
    EXPECT_NE(given.find(R"("serial":18446744073709551614)"), std::string::npos) << given;
    EXPECT_EQ(nlohmann::json::parse(given)["unit"], "u");
    const std::string current = Unit("u", "9223372036854775808", "ok", 1);
    EXPECT_EQ(RecordLineWithExactSerial({nlohmann::json::parse(current), current, false}), current)
        << "a line as written is given as written";
}

TEST(LogJson, AFailureCarriesItsReasonWhenItHasOne)
{
    TFailure failure = MakeFailure(TFailureKind::fkStore, "connection refused");
    EXPECT_FALSE(FailureObject(failure).contains("reason"));
    failure.Reason = "unreachable";
    EXPECT_EQ(FailureObject(failure)["reason"], "unreachable");
    EXPECT_EQ(FailureObject(failure)["kind"], "store");
}

TEST(LogYield, OneDecimalAndADashForNothing)
{
    EXPECT_EQ(YieldText(std::nullopt), "-");
    EXPECT_EQ(YieldText(0.0), "0.0 %");
    EXPECT_EQ(YieldText(39.0 / 40.0), "97.5 %");
    EXPECT_EQ(YieldText(1.0), "100.0 %");
}

} // namespace
