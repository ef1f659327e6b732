// SPDX-License-Identifier: MIT
#include "UnitRow.h"

#include <gtest/gtest.h>

using namespace morlith;

namespace {

std::string Line(const std::string &fields)
{
    return R"({"schema":"unit/1","time":"2026-12-07T10:36:38.123Z","unit":"u-1","result":"ok")" +
           (fields.empty() ? "" : "," + fields) + "}";
}

} // namespace

TEST(UnitRow, SerialsAreExactOverSixtyFourBits)
{
    const struct {
        const char *Field;
        std::optional<uint64_t> Serial;
    } rows[] = {
        {R"("serial":1042)", 1042},
        {R"("serial":18446744073709551615)", UINT64_MAX},
        {R"("serial":9007199254740993)", 9007199254740993ull},
        // An older writer's negative number for a serial at or above 2^63.
        {R"("serial":-1)", UINT64_MAX},
        {R"("serial":-9223372036854775808)", 9223372036854775808ull},
        {R"("serial":"18446744073709551615")", UINT64_MAX},
        {R"("serial":null)", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto &row : rows) {
        const auto parsed = ParseUnitLine(Line(row.Field));
        ASSERT_TRUE(parsed) << row.Field;
        EXPECT_EQ(parsed->Serial, row.Serial) << row.Field;
    }
    for (const char *bad : {R"("serial":1.5)", R"("serial":"12a")", R"("serial":"18446744073709551616")",
                            R"("serial":true)"})
        EXPECT_FALSE(ParseUnitLine(Line(bad))) << bad;
}

TEST(UnitRow, TakesTheFieldsAndKeepsTheLineAsWritten)
{
    const std::string line = Line(R"("station":"S1","operator":"ann","lot":"L-17","port":"COM3",)"
                                  R"("recipe":{"path":"r.toml","sha256":"ab12"})");
    const auto row = ParseUnitLine(line + "\r\n");
    ASSERT_TRUE(row);
    EXPECT_EQ(row->Unit, "u-1");
    EXPECT_EQ(row->Result, "ok");
    EXPECT_EQ(row->Station, "S1");
    EXPECT_EQ(row->Operator, "ann");
    EXPECT_EQ(row->Lot, "L-17");
    EXPECT_EQ(row->Socket, "COM3");
    EXPECT_EQ(row->RecipeSha256, "ab12");
    EXPECT_EQ(row->TimeMs, 1796639798123);
    EXPECT_FALSE(row->StartedMs);
    EXPECT_EQ(row->Line, line);
    // A socket name wins over the port; a started record's time is its start.
    EXPECT_EQ(ParseUnitLine(Line(R"("port":"COM3","socket":"usb-0:3")"))->Socket, "usb-0:3");
    const auto started = ParseUnitLine(R"({"schema":"unit/1","time":"1970-01-01T00:00:01Z","unit":"u","result":"started"})");
    ASSERT_TRUE(started);
    EXPECT_EQ(started->StartedMs, 1000);
    EXPECT_EQ(ParseUnitLine(Line(R"("started":"1970-01-01T00:00:02Z")"))->StartedMs, 2000);
}

TEST(UnitRow, OtherLinesAreNoUnitRecords)
{
    for (const std::string &line :
         {std::string(R"({"schema":1,"time":"2026-12-07T10:36:38.123Z","command":"connect","result":"ok"})"),
          std::string(R"({"schema":"unit/1","time":"2026-12-07T10:36:38.123Z","result":"ok"})"),
          std::string(R"({"schema":"unit/1","time":"2026-12-07T10:36:38.123Z","unit":"u"})"),
          std::string(R"({"schema":"unit/1","time":"yesterday","unit":"u","result":"ok"})"), std::string("{\"schema\":\"unit/1\""),
          std::string("not json"), std::string("[1,2]"), std::string()})
        EXPECT_FALSE(ParseUnitLine(line)) << line;
}
