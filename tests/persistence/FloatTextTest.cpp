// SPDX-License-Identifier: MIT
#include "FloatText.h"

#include "EnvironmentVariable.h"
#include "TestFiles.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>

namespace morlith {
namespace {

TEST(FloatText, GeneralFormatWith15SignificantDigits)
{
    const std::pair<double, const char *> cases[] = {
        {0, "0"}, {-0.0, "0"}, {1, "1"}, {-2.5, "-2.5"}, {1.5, "1.5"}, {100, "100"}, {0.1, "0.1"},
        {1.0 / 3, "0.333333333333333"}, {123456789012345, "123456789012345"}, {1e15, "1E15"}, {1e20, "1E20"},
        {1.5e-7, "1.5E-7"}, {0.0001, "0.0001"}, {0.00009, "9E-5"}, {-1.25e-10, "-1.25E-10"},
        {static_cast<double>(0.1f), "0.100000001490116"}, {9.9999999999999999e14, "1E15"}, {12.5e100, "1.25E101"}};
    for (const auto &[value, text] : cases)
        EXPECT_EQ(FloatToText(value, '.'), text) << value;
}

TEST(FloatText, WritesTheGivenSeparatorAndSpecialValues)
{
    EXPECT_EQ(FloatToText(1.5, ','), "1,5");
    EXPECT_EQ(FloatToText(1.5e-7, ','), "1,5E-7");
    EXPECT_EQ(FloatToText(std::numeric_limits<double>::quiet_NaN(), '.'), "NAN");
    EXPECT_EQ(FloatToText(-std::numeric_limits<double>::infinity(), '.'), "-INF");
}

TEST(FloatText, ReadsEitherSeparatorWhenTheLocaleUsesComma)
{
    EXPECT_EQ(TextToFloat("1.5", ','), 1.5f);
    EXPECT_EQ(TextToFloat("1,5", ','), 1.5f);
    EXPECT_EQ(TextToFloat("-2,5E-3", ','), -2.5e-3f);
    EXPECT_EQ(TextToFloat("1.000,5", ','), 0.0f);   // two separators after the replacement
}

TEST(FloatText, ReadsOnlyThePointWhenTheLocaleUsesPoint)
{
    EXPECT_EQ(TextToFloat("1.5", '.'), 1.5f);
    EXPECT_EQ(TextToFloat("1,5", '.'), 0.0f);
    EXPECT_EQ(TextToFloat(" 7 ", '.'), 7.0f);
    EXPECT_EQ(TextToFloat("1E20", '.'), 1e20f);
    EXPECT_EQ(TextToFloat(".5", '.'), 0.5f);
}

TEST(FloatText, UnparsableOrOutOfRangeTextIsZero)
{
    for (const char *text : {"", "abc", "1.5x", "e5", "1e", "--1", "NAN", "INF", "1e39", "1e99999999999"})
        EXPECT_EQ(TextToFloat(text, '.'), 0.0f) << text;
}

TEST(FloatText, StoresAtSinglePrecision)
{
    EXPECT_EQ(TextToFloat("0.1", '.'), 0.1f);
    EXPECT_EQ(TextToFloat(FloatToText(static_cast<double>(0.1f), '.'), '.'), 0.1f);
    EXPECT_EQ(TextToFloat("3.14159265358979", '.'), 3.14159265f);
}

TEST(FloatText, FollowsTheUserLocale)
{
    test::CommaLocale comma;
    if (!comma.Active())
        GTEST_SKIP() << "locale de_DE.UTF-8 is not installed (scripts/install-deps installs it)";
    EXPECT_EQ(UserDecimalSeparator(), ',');
    EXPECT_EQ(FloatToText(1.5), "1,5");
    EXPECT_EQ(TextToFloat("1.5"), 1.5f);
    EXPECT_EQ(TextToFloat("1,5"), 1.5f);
    EXPECT_EQ(TextToFloat("abc"), 0.0f);
}

TEST(FloatText, AnUnknownUserLocaleFallsBackToPoint)
{
    const char *previous = std::getenv("LC_ALL");
    const std::string saved = previous ? previous : "";
    test::SetEnvironmentVariable("LC_ALL", "xx_NOWHERE.UTF-8");
    EXPECT_EQ(UserDecimalSeparator(), '.');
    if (previous)
        test::SetEnvironmentVariable("LC_ALL", saved);
    else
        test::UnsetEnvironmentVariable("LC_ALL");
}

} // namespace
} // namespace morlith
