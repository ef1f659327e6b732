// SPDX-License-Identifier: MIT
// What the tool writes: JSON text, numbers, the progress bar, the words for what a module holds,
// the comparison behind --verify and the per-port file names.

#include "DataFiles.h"
#include "DeviceCommands.h"
#include "HumanReporter.h"
#include "JsonLines.h"
#include "ModuleWriteLog.h"
#include "NumberText.h"
#include "PortChoice.h"
#include "WriteVerification.h"

#include <gtest/gtest.h>

#include <regex>

namespace morlith::cli {
namespace {

TEST(JsonText, EscapesWhatJsonRequiresAndReplacesInvalidUtf8)
{
    EXPECT_EQ(JsonQuote("a\"b\\c\nd\te\x01"), "\"a\\\"b\\\\c\\nd\\te\\u0001\"");
    EXPECT_EQ(JsonQuote("caf\xC3\xA9 \xE2\x82\xAC"), "\"caf\xC3\xA9 \xE2\x82\xAC\"");
    // A lone continuation byte, a cut sequence, an overlong form and a surrogate.
    EXPECT_EQ(JsonQuote("x\x80y"), "\"x\\ufffdy\"");
    EXPECT_EQ(JsonQuote("x\xE2\x82"), "\"x\\ufffd\\ufffd\"");
    EXPECT_EQ(JsonQuote("\xC0\xAF"), "\"\\ufffd\\ufffd\"");
    EXPECT_EQ(JsonQuote("\xED\xA0\x80"), "\"\\ufffd\\ufffd\\ufffd\"");
    EXPECT_EQ(JsonLine({{"k", "v"}, {"n", -3}, {"b", false}, {"l", {"a", "b"}}}),
              "{\"k\":\"v\",\"n\":-3,\"b\":false,\"l\":[\"a\",\"b\"]}");
    EXPECT_EQ(JsonLine({{"inner", {{"n", 1}}}}), "{\"inner\":{\"n\":1}}");
    // Fields keep their order; text that is not UTF-8 is escaped inside a line too; seconds have
    // exactly three decimals.
    EXPECT_EQ(JsonLine({{"z", 1}, {"a", "x\x80\r"}, {"seconds", 2.0}, {"rate", 0.12345}}),
              "{\"z\":1,\"a\":\"x\\ufffd\\u000d\",\"seconds\":2.000,\"rate\":0.123}");
}

TEST(JsonText, EveryEventCarriesTheSchemaAndAnIsoUtcTime)
{
    const std::string line = JsonLine(JsonEvent("e", {{"n", 1}}));
    EXPECT_TRUE(std::regex_match(line, std::regex(R"(\{"event":"e","schema":1,"time":"\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}Z","n":1\})")))
        << line;
    // 2001-09-09T01:46:40.250Z is 1,000,000,000.25 s after the epoch.
    const auto when = std::chrono::system_clock::time_point(std::chrono::milliseconds(1000000000250));
    EXPECT_EQ(IsoUtcTime(when), "2001-09-09T01:46:40.250Z");
}

TEST(JsonText, UtcTimesAcrossLeapDaysCenturiesAndTheEpoch)
{
    const auto at = [](int64_t ms) { return IsoUtcTime(std::chrono::system_clock::time_point(std::chrono::milliseconds(ms))); };
    EXPECT_EQ(at(0), "1970-01-01T00:00:00.000Z");
    EXPECT_EQ(at(951782400000), "2000-02-29T00:00:00.000Z");
    EXPECT_EQ(at(951868799999), "2000-02-29T23:59:59.999Z");
    EXPECT_EQ(at(4107542400000), "2100-03-01T00:00:00.000Z"); // 2100 has no 29 February
    EXPECT_EQ(at(1709251199000), "2024-02-29T23:59:59.000Z");
    EXPECT_EQ(at(-1), "1969-12-31T23:59:59.999Z");
}

TEST(NumberText, ParsesOnlyWholeNumbersInRange)
{
    EXPECT_EQ(ParseWholeNumber("42", 0, 100), 42u);
    EXPECT_EQ(ParseWholeNumber("0x2A", 0, 100, true), 42u);
    EXPECT_FALSE(ParseWholeNumber("0x2A", 0, 100));
    for (const char *bad : {"", "+1", "-1", "1.5", "12a", " 1", "0x", "101", "99999999999999999999999"})
        EXPECT_FALSE(ParseWholeNumber(bad, 0, 100, true)) << bad;
}

TEST(NumberText, GroupsThousandsAndFormatsTimeAndRate)
{
    EXPECT_EQ(GroupThousands(0), "0");
    EXPECT_EQ(GroupThousands(999), "999");
    EXPECT_EQ(GroupThousands(12300), "12,300");
    EXPECT_EQ(GroupThousands(1234567), "1,234,567");
    EXPECT_EQ(FormatSeconds(2.04), "2.0 s");
    EXPECT_EQ(FormatSeconds(125), "2 min 05 s");
    EXPECT_EQ(FormatRate(1920), "1.9 kB/s");
    EXPECT_EQ(FormatRate(640), "640 B/s");
}

TEST(ProgressBar, ShowsPercentBytesRateAndTimeLeft)
{
    const std::string text = ProgressBarText({46, 30000, 65000, 15.0}, 80);
    EXPECT_NE(text.find(" 46%"), std::string::npos) << text;
    EXPECT_NE(text.find("30,000 of 65,000 bytes"), std::string::npos) << text;
    EXPECT_NE(text.find("2.0 kB/s"), std::string::npos) << text;
    EXPECT_NE(text.find("17.5 s left"), std::string::npos) << text;
    EXPECT_EQ(ProgressBarText({100, 10, 10, 1.0}, 80).find("left"), std::string::npos);
}

TEST(ProgressBar, FitsTheTerminalLeavingTheLastColumnFree)
{
    const TProgressStep step{46, 30000, 65000, 15.0};
    for (unsigned columns : {200u, 120u, 80u, 60u, 40u, 30u, 20u, 8u, 1u, 0u}) {
        const std::string text = ProgressBarText(step, columns);
        EXPECT_LT(text.size(), std::max(columns, 1u)) << columns << ": " << text;
    }
    // A wide terminal gets a wider bar than a narrow one; a narrow one drops the time left and the
    // rate before the percentage.
    EXPECT_GT(ProgressBarText(step, 120).find(']'), ProgressBarText(step, 80).find(']'));
    const std::string narrow = ProgressBarText(step, 40);
    EXPECT_NE(narrow.find(" 46%"), std::string::npos) << narrow;
    EXPECT_EQ(narrow.find("left"), std::string::npos) << narrow;
    EXPECT_NE(narrow.find('['), std::string::npos) << narrow;
    EXPECT_EQ(ProgressBarText(step, 8), " 46%");
}

TEST(ProgressBar, FillsItsCellsInProportionUpToTheLastFreeColumn)
{
    // `cells` 0: the bar takes every cell up to the last free column.
    struct TRow {
        int32_t percent;
        unsigned columns;
        size_t cells;
    };
    const TRow rows[] = {{46, 200, 60}, {0, 200, 60}, {100, 200, 60}, {46, 80, 0}, {99, 80, 0}, {1, 50, 0}};
    for (const TRow &row : rows) {
        const std::string text = ProgressBarText({row.percent, 30000, 65000, 15.0}, row.columns);
        const size_t close = text.find(']');
        ASSERT_TRUE(text.rfind('[', 0) == 0 && close != std::string::npos) << text;
        const std::string cells = text.substr(1, close - 1);
        if (row.cells != 0)
            EXPECT_EQ(cells.size(), row.cells) << text;
        else
            EXPECT_EQ(text.size(), row.columns - 1) << text;
        const size_t filled = size_t(row.percent) * cells.size() / 100;
        EXPECT_EQ(cells, std::string(filled, '#') + std::string(cells.size() - filled, '.')) << row.percent;
    }
}

TFrameTraceEvent Sent(char command, uint32_t length) { return {true, uint8_t(command), length, true}; }
TFrameTraceEvent Answered(char command, bool ok = true) { return {false, uint8_t(command), 4, ok}; }

TEST(ModuleWriteLog, TellsHowFarAnApplicationWriteGot)
{
    TModuleWriteLog log;
    for (const auto &event : {Sent('C', 0), Answered('C')})
        log.Record(event);
    EXPECT_EQ(log.Describe(TWriteKind::wkApplication, 400), "nothing was written to the module");
    for (const auto &event : {Sent('F', 8), Answered('F'), Sent('W', 8), Answered('W')})
        log.Record(event);
    EXPECT_NE(log.Describe(TWriteKind::wkApplication, 400).find("parameter block written"), std::string::npos);
    for (const auto &event : {Sent('F', 8), Answered('F'), Sent('W', 50), Answered('W'), Sent('W', 50),
                              Answered('W', false)})
        log.Record(event);
    // The second chunk went out and its reply came garbled: the module may hold it or not.
    EXPECT_EQ(log.Describe(TWriteKind::wkApplication, 400),
              "application partly written: between 50 and 100 of 400 bytes");
    for (const auto &event : {Sent('W', 50), Answered('W')})
        log.Record(event);
    EXPECT_EQ(log.Describe(TWriteKind::wkApplication, 400), "application partly written: 100 of 400 bytes");
    EXPECT_EQ(log.Describe(TWriteKind::wkNone, 0), "nothing was written to the module");
}

TEST(ModuleWriteLog, SaysNothingWasWrittenOnlyWhenNoWriteWentOut)
{
    TModuleWriteLog started;
    for (const auto &event : {Sent('F', 8), Answered('F')})
        started.Record(event);
    EXPECT_EQ(started.Describe(TWriteKind::wkApplication, 400), "nothing was written to the module");
    EXPECT_EQ(started.Describe(TWriteKind::wkDataSegment, 400), "nothing was written to the module");

    // The parameter block went out unanswered: it may be in the module.
    TModuleWriteLog block = started;
    block.Record(Sent('W', 8));
    EXPECT_EQ(block.Describe(TWriteKind::wkApplication, 400).rfind("parameter block may have been written", 0), 0u);
    // The first data chunk went out unanswered.
    TModuleWriteLog chunk = started;
    chunk.Record(Sent('W', 50));
    EXPECT_EQ(chunk.Describe(TWriteKind::wkDataSegment, 400),
              "data segment partly written: between 0 and 50 of 400 bytes");
}

TEST(ModuleWriteLog, TellsHowFarADataSegmentWriteGot)
{
    TModuleWriteLog log;
    for (const auto &event : {Sent('F', 8), Answered('F'), Sent('W', 50), Answered('W'), Sent('W', 20), Answered('W')})
        log.Record(event);
    EXPECT_EQ(log.Describe(TWriteKind::wkDataSegment, 120), "data segment partly written: 70 of 120 bytes");
    EXPECT_EQ(log.Describe(TWriteKind::wkDataSegment, 70), "data segment written");
}

TEST(VerifyComparison, ReportsTheFirstDifferingOffset)
{
    EXPECT_EQ(DescribeDifference({1, 2, 3}, {1, 2, 3, 0xFF}), "");
    EXPECT_EQ(DescribeDifference({1, 2, 3}, {1, 9, 3}), "first difference at offset 1 (0x0001): wrote 0x02, read back 0x09");
    EXPECT_NE(DescribeDifference({1, 2, 3}, {1, 2}).find("holds 2 bytes, the file 3"), std::string::npos);
}

TEST(PortFiles, PlaceholderBecomesAFileNameFormOfThePort)
{
    EXPECT_EQ(FileForPort("dump-{port}.bin", TPortChoice{"COM3", 3, "/dev/ttyS2"}), "dump-COM3.bin");
    EXPECT_EQ(FileForPort("{port}/{port}.bin", TPortChoice{"/dev/ttyUSB0", 0, "/dev/ttyUSB0"}),
              "dev_ttyUSB0/dev_ttyUSB0.bin");
}

TEST(PortArguments, AcceptComNamesNumbersAndPathsOnly)
{
    EXPECT_EQ(ParsePortArgument("com12").Ports.at(0).Label, "COM12");
    EXPECT_EQ(ParsePortArgument("12").Ports.at(0).ComNumber, 12);
    EXPECT_EQ(ParsePortArgument("/dev/pts/3").Ports.at(0).DevicePath, "/dev/pts/3");
    for (const char *bad : {"COM0", "COM256", "256", "0", "ttyUSB0", "COM", "-1"})
        EXPECT_FALSE(ParsePortArgument(bad).Error.empty()) << bad;
}

} // namespace
} // namespace morlith::cli
