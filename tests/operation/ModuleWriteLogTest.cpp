// SPDX-License-Identifier: MIT
// The words for what a module holds after a write stopped part-way, and the comparison behind a
// verified write.

#include "ModuleWriteLog.h"
#include "WriteVerification.h"

#include <gtest/gtest.h>

namespace morlith {
namespace {

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

} // namespace
} // namespace morlith
