// SPDX-License-Identifier: MIT
// Reading the production log back: the JSON reader and what --since lets through.

#include "JsonLines.h"
#include "UtcTime.h"

#include <gtest/gtest.h>

namespace morlith {
namespace {

TEST(JsonRead, ReadsBackWhatTheWriterWrites)
{
    const std::string text = "caf\xC3\xA9 \"q\" \\ \n\t\x01 \xF0\x9F\x98\x80";
    const TJson object = {{"text", text},
                          {"n", -42},
                          {"ok", false},
                          {"list", {"a", "b"}},
                          {"error", {{"kind", "hangup"}}}};
    const auto value = ParseJsonLine(JsonLine(object));
    ASSERT_TRUE(value);
    EXPECT_EQ(JsonTextOf(*value, "text"), text);
    EXPECT_EQ(*JsonField(*value, "n"), -42);
    EXPECT_EQ(*JsonField(*value, "ok"), false);
    EXPECT_EQ(JsonField(*value, "list")->size(), 2u);
    EXPECT_EQ(JsonTextOf(*JsonField(*value, "error"), "kind"), "hangup");
    EXPECT_EQ(ParseJsonLine(R"("\ud83d\ude00 \u00e9")")->get<std::string>(), "\xF0\x9F\x98\x80 \xC3\xA9");
    // A record as the logs already hold it: escaped control characters and bytes that were not
    // UTF-8, three-decimal numbers.
    const auto kept = ParseJsonLine(R"({"schema":1,"time":"2026-07-13T10:15:02.123Z","port":"COM3",)"
                                    R"("data_file":{"path":"x\ufffd\u000d\u007f.bin"},"seconds":1.500,)"
                                    R"("error":{"kind":"hangup"},"duration_ms":12})");
    ASSERT_TRUE(kept);
    EXPECT_EQ(JsonTextOf(*JsonField(*kept, "data_file"), "path"), "x\xEF\xBF\xBD\r\x7F.bin");
    EXPECT_EQ(JsonTextOf(*JsonField(*kept, "error"), "kind"), "hangup");
    EXPECT_EQ(*JsonField(*kept, "seconds"), 1.5);
}

TEST(JsonRead, RefusesWhatIsNotOneWholeValue)
{
    for (const std::string bad : {"", "{", "{\"a\":1", "{\"a\":1}}", "{\"a\":1} x", "{a:1}", "[1,]", "\"open",
                                  "\"tab\there\"", "{\"a\":tru}", "nul", "-", "1.2.3", "\"\\x\""})
        EXPECT_FALSE(ParseJsonLine(bad)) << bad;
    // Deep nesting is refused, not followed down the stack.
    EXPECT_FALSE(ParseJsonLine(std::string(100000, '[') + std::string(100000, ']')));
    EXPECT_TRUE(ParseJsonLine(" {\"a\" : [1, 2.5e3, null, true, {}]} \r"));
}

TEST(LogSince, DatesTimesAndAges)
{
    const auto now = std::chrono::system_clock::time_point(std::chrono::seconds(1000000000));
    const auto iso = [&](const std::string &text) {
        const auto threshold = SinceThreshold(text, now);
        return threshold ? IsoUtcTime(std::chrono::time_point_cast<std::chrono::system_clock::duration>(*threshold))
                         : "none";
    };
    EXPECT_EQ(iso("2026-07-13"), "2026-07-13T00:00:00.000Z");
    EXPECT_EQ(iso("2026-07-13T10:15"), "2026-07-13T10:15:00.000Z");
    EXPECT_EQ(iso("2026-07-13 10:15:30Z"), "2026-07-13T10:15:30.000Z");
    EXPECT_EQ(iso("2024-02-29T23:59:59.5"), "2024-02-29T23:59:59.500Z");
    EXPECT_EQ(iso("1969-12-31T23:00"), "1969-12-31T23:00:00.000Z");
    EXPECT_EQ(iso("2h"), IsoUtcTime(now - std::chrono::hours(2)));
    EXPECT_EQ(iso("7d"), IsoUtcTime(now - std::chrono::hours(7 * 24)));
    for (const std::string bad : {"yesterday", "2h30m", "2026-7-13", "13.07.2026", "-2h", "", "2026-13-01",
                                  "2026-02-29", "2026-04-31", "2026-07-13T24:00", "2026-07-13T10:60"})
        EXPECT_FALSE(SinceThreshold(bad, now)) << bad;
    // Records are compared as times, not as text: a record without milliseconds is not "later".
    EXPECT_LT(*ParseUtcTime("2026-07-13T10:15:00Z"), *ParseUtcTime("2026-07-13T10:15:00.001Z"));
    EXPECT_LT(*ParseUtcTime("2026-07-13"), *ParseUtcTime("2999-01-01")) << "years past 2262 do not overflow";
}

TEST(LogSince, RecordTimesAreExactToTheMillisecond)
{
    const auto ms = [](const std::string &text) {
        const auto time = ParseUtcTime(text);
        return time ? time->time_since_epoch().count() : -1;
    };
    EXPECT_EQ(ms("1970-01-01T00:00:00Z"), 0);
    EXPECT_EQ(ms("1970-01-02T00:00:01.5Z"), 86401500);
    EXPECT_EQ(ms("2026-12-07T10:36:38.123Z"), 1796639798123);
    EXPECT_EQ(ms("2024-02-29T23:59:59.999999999Z"), 1709251199999);
    EXPECT_EQ(ms("1969-12-31T23:59:59.999Z"), -1) << "before 1970 too";
    EXPECT_EQ(ms("1969-12-31T23:59:59.998Z"), -2);
    for (const char *bad : {"2023-02-29T00:00:00Z", "2100-02-29", "2026-00-10", "2026-01-00", "2026-01-01T00:00:60Z",
                            "2026-01-01T00:00:00.Z", "2026-01-01T00:00:00.1234567890Z", "2026-01-0xT00:00:00Z",
                            "2026-01-01T00", "2026-01-01T00:00ZZ", "2026-01-01T00:00:00Z ", "2026-01-01T1:00"})
        EXPECT_FALSE(ParseUtcTime(bad)) << bad;
}

} // namespace
} // namespace morlith
