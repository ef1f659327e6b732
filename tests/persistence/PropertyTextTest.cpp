// SPDX-License-Identifier: MIT
#include "HexText.h"
#include "PropertyText.h"

#include <gtest/gtest.h>

namespace morlith {
namespace {

TEST(IntegerText, AcceptsDecimalAndDollarHexadecimal)
{
    const std::pair<const char *, std::int32_t> cases[] = {
        {"0", 0}, {"42", 42}, {"-7", -7}, {"+7", 7}, {"2147483647", 2147483647}, {"-2147483648", INT32_MIN},
        {"$1F", 31}, {"$ff", 255}, {"$FFFFFFFF", -1}, {"-$10", -16}, {"007", 7}};
    for (const auto &[text, expected] : cases) {
        std::int32_t value = 12345;
        EXPECT_TRUE(TryTextToInt(text, value)) << text;
        EXPECT_EQ(value, expected) << text;
    }
}

TEST(IntegerText, RefusesEverythingElseAndKeepsTheValue)
{
    for (const char *text : {"", "abc", " 5", "5 ", "1.5", "2147483648", "-2147483649", "$", "$1FFFFFFFF", "$G1",
                             "$+1", "$ 1", "0x10", "-", "1e3", "99999999999999999999999"}) {
        std::int32_t value = 77;
        EXPECT_FALSE(TryTextToInt(text, value)) << text;
        EXPECT_EQ(value, 77) << text;
    }
}

TEST(IntegerText, UnsignedFieldsReadTheirWholeRange)
{
    const std::pair<const char *, std::uint32_t> cases[] = {
        {"4294967295", 0xFFFFFFFFu}, {"2147483648", 0x80000000u}, {"3000000000", 3000000000u},
        {"$FFFFFFFF", 0xFFFFFFFFu}, {"-1", 0xFFFFFFFFu}, {"7", 7}};
    for (const auto &[text, expected] : cases) {
        std::uint32_t value = 12345;
        EXPECT_TRUE(TryTextToUInt32(text, value)) << text;
        EXPECT_EQ(value, expected) << text;
    }
    for (const char *text : {"4294967296", "-2147483649", "", "abc", "$100000000"}) {
        std::uint32_t value = 77;
        EXPECT_FALSE(TryTextToUInt32(text, value)) << text;
        EXPECT_EQ(value, 77u) << text;
    }
}

TEST(BooleanText, SpellingsAndNumbers)
{
    for (const char *text : {"True", "TRUE", "true", "tRuE", "1", "-3", "$10"}) {
        bool value = false;
        EXPECT_TRUE(TryTextToBoolean(text, value)) << text;
        EXPECT_TRUE(value) << text;
    }
    for (const char *text : {"False", "FALSE", "false", "0", "$0"}) {
        bool value = true;
        EXPECT_TRUE(TryTextToBoolean(text, value)) << text;
        EXPECT_FALSE(value) << text;
    }
    for (const char *text : {"yes", "", "T", "truee"}) {
        bool value = true;
        EXPECT_FALSE(TryTextToBoolean(text, value)) << text;
    }
    EXPECT_STREQ(BooleanToText(true), "True");
    EXPECT_STREQ(BooleanToText(false), "False");
}

TEST(HexText, DecodesPairsInEitherCaseAtAnOffset)
{
    TByteArray target(6, 0xEE);
    EXPECT_TRUE(HexToBytes("a5C3ff", target, 2));
    EXPECT_EQ(target, (TByteArray{0xEE, 0xEE, 0xA5, 0xC3, 0xFF, 0xEE}));
    EXPECT_TRUE(HexToBytes("", target, 6));
}

TEST(HexText, BadPairStopsThereAndKeepsEarlierPairs)
{
    for (const char *bad : {"G1", "+1", "x1", " 1", "1 ", "-1", "$1"}) {
        TByteArray target(3, 0);
        std::string why;
        EXPECT_FALSE(HexToBytes(std::string("0102") + bad, target, 0, &why)) << bad;
        EXPECT_EQ(target, (TByteArray{0x01, 0x02, 0x00})) << bad;
        EXPECT_EQ(why, "'" + std::string(bad) + "' at position 4 is not a hexadecimal pair");
    }
}

TEST(HexText, OddLengthAndNoRoomWriteNothing)
{
    TByteArray target(2, 0x11);
    std::string why;
    EXPECT_FALSE(HexToBytes("ABC", target, 0, &why));
    EXPECT_EQ(why, "has odd length 3");
    EXPECT_FALSE(HexToBytes("ABCD", target, 1));
    EXPECT_FALSE(HexToBytes("AB", target, 5));
    EXPECT_EQ(target, (TByteArray{0x11, 0x11}));
}

TEST(HexText, BytesToHexIsUpperCaseTwoDigitsPerByte)
{
    EXPECT_EQ(BytesToHex(TByteArray{0x00, 0x0A, 0xB3, 0xFF}), "000AB3FF");
    EXPECT_EQ(BytesToHex(TByteArray{}), "");
}

} // namespace
} // namespace morlith
