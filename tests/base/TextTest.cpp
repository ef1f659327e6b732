// SPDX-License-Identifier: MIT
// JSON text and number text as every front end writes them.

#include "JsonLines.h"
#include "NumberText.h"
#include "TerminalText.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cwchar>
#include <regex>

namespace morlith {
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

// A file name that is not UTF-8 keeps its exact bytes beside the text; a valid one gets no twin.
TEST(JsonText, APathThatIsNotUtf8KeepsItsBytes)
{
    const std::pair<std::string, const char *> rows[] = {
        {"/data/plain.bin", nullptr},
        {"/data/\xD0\xB4\xD0\xB0\xE3\x83\x87.bin", nullptr},
        {"a\xFF", "61ff"},
        {"\xC3", "c3"},
        {"\xC0\xAF", "c0af"},
        {"x\xED\xA0\x80", "78eda080"},
        {"", nullptr},
    };
    for (const auto &[path, bytes] : rows) {
        TJson object = TJson::object();
        SetPathField(object, "file", path);
        EXPECT_EQ(object["file"].get<std::string>(), path);
        EXPECT_EQ(object.contains("file_bytes"), bytes != nullptr) << path;
        if (bytes)
            EXPECT_EQ(object["file_bytes"], bytes) << path;
    }
}

// What a terminal would act on is written out; everything else, valid UTF-8 included, stays.
TEST(TerminalText, EscapesWhatATerminalWouldActOn)
{
    const std::pair<std::string, std::string> rows[] = {
        {"plain name.bin", "plain name.bin"},
        {"caf\xC3\xA9 \xE3\x83\x87", "caf\xC3\xA9 \xE3\x83\x87"},
        {"a\x1b]0;title\x07" "b", "a\\x1B]0;title\\x07b"},
        {"tab\tstays", "tab\tstays"},
        {"line\nend\r", "line\\x0Aend\\x0D"},
        {std::string("nul\0", 4), "nul\\x00"},
        {"\x7f\x1f", "\\u007F\\x1F"},
        {"\xC2\x9B" "31m", "\\u009B31m"},
        {"\xC2\x80\xC2\x9F\xC2\xA0", "\\u0080\\u009F\xC2\xA0"},
        {"evil\xE2\x80\xAEnib.exe", "evil\\u202Enib.exe"},
        {"\xE2\x80\xAA\xE2\x80\xA9\xE2\x81\xA6\xE2\x81\xA9\xE2\x81\xAA", "\\u202A\xE2\x80\xA9\\u2066\\u2069\xE2\x81\xAA"},
        {"bad\xFF\xC3", "bad\\xFF\\xC3"},
        {"back\\slash", "back\\slash"},
    };
    for (const auto &[text, shown] : rows) {
        EXPECT_EQ(TerminalSafe(text), shown) << shown;
        EXPECT_EQ(TerminalSafe(TerminalSafe(text)), shown) << "escaping twice: " << shown;
    }
    EXPECT_EQ(TerminalSafeLines("one\x1b\ntwo\n"), "one\\x1B\ntwo\n");
    EXPECT_EQ(TerminalSafeLines(""), "");
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

// Display width: what a terminal gives each character, whatever the locale; stray bytes count one.
TEST(TextWidth, WideCharactersTakeTwoColumnsAndMarksNone)
{
    const std::pair<std::string, size_t> rows[] = {
        {"", 0}, {"COM3", 4}, {"Партия", 6}, {"ロット", 6}, {"東京", 4}, {"한국", 4}, {"ＦＵＬＬ", 8},
        {"Cafe\xCC\x81", 4}, {"a\xE2\x80\x8B" "b", 2}, {"\xF0\x9F\x98\x80", 2}, {"\xF0\xA0\x80\x80", 2},
        {"\xFF\xFE", 2}, {"cut \xE6\x9D", 6}, {"\xED\xA0\x80", 3}, {"\xC0\xAF", 2},
    };
    for (const auto &[text, width] : rows)
        EXPECT_EQ(DisplayWidth(text), width) << text;
    EXPECT_EQ(PadRight("東京", 6), "東京  ");
}

#ifndef _WIN32
// Where the C library knows the width in a UTF-8 locale, it agrees over the scripts a lot,
// an operator or a socket is named in.
TEST(TextWidth, AgreesWithTheCLibraryInAUtf8Locale)
{
    const std::string before = std::setlocale(LC_CTYPE, nullptr);
    if (!std::setlocale(LC_CTYPE, "C.UTF-8"))
        GTEST_SKIP() << "no C.UTF-8 locale here";
    const std::pair<char32_t, char32_t> blocks[] = {
        {0x20, 0x7E}, {0xA0, 0x52F}, {0x1100, 0x11FF}, {0x2E80, 0x2FDF}, {0x3000, 0x33FF}, {0x4E00, 0x9FFF},
        {0xAC00, 0xD7A3}, {0xFE00, 0xFE0F}, {0xFF00, 0xFFEF}, {0x1F600, 0x1F64F}, {0x20000, 0x2A6DF},
    };
    size_t compared = 0;
    for (const auto &[first, last] : blocks)
        for (char32_t code = first; code <= last; ++code) {
            const int expected = ::wcwidth(wchar_t(code));
            if (expected < 0)
                continue; // unassigned to the C library
            ++compared;
            EXPECT_EQ(CharacterWidth(code), unsigned(expected)) << std::hex << "U+" << unsigned(code);
        }
    std::setlocale(LC_CTYPE, before.c_str());
    EXPECT_GT(compared, 40000u);
}
#endif

} // namespace
} // namespace morlith
