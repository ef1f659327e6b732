// SPDX-License-Identifier: MIT
#include "FloatText.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <locale>
#include <stdexcept>

namespace morlith {

namespace {

constexpr int kSignificantDigits = 15;
// Fixed notation from 1E-4 up to 15 digits before the separator.
constexpr int kLowestFixedExponent = -4;
constexpr int kHighestFixedExponent = kSignificantDigits - 1;

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Splits Value (finite, non-zero) into its significant digits without trailing zeros and the
// decimal exponent of the first digit, after rounding to 15 significant digits.
void Decompose(double Value, std::string &Digits, int &Exponent)
{
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(Value),
                                      std::chars_format::scientific, kSignificantDigits - 1);
    const std::string text(buffer, result.ptr);   // "d.dddddddddddddde+XX"
    const std::size_t e = text.find('e');
    Digits = text.substr(0, 1) + text.substr(2, e - 2);
    Exponent = std::atoi(text.c_str() + e + 1);
    while (Digits.size() > 1 && Digits.back() == '0')
        Digits.pop_back();
}

std::string FixedText(const std::string &Digits, int Exponent, char Separator)
{
    if (Exponent < 0)
        return "0" + std::string(1, Separator) + std::string(static_cast<std::size_t>(-Exponent - 1), '0') + Digits;
    const std::size_t integerDigits = static_cast<std::size_t>(Exponent) + 1;
    if (Digits.size() <= integerDigits)
        return Digits + std::string(integerDigits - Digits.size(), '0');
    return Digits.substr(0, integerDigits) + Separator + Digits.substr(integerDigits);
}

std::string ScientificText(const std::string &Digits, int Exponent, char Separator)
{
    std::string text = Digits.substr(0, 1);
    if (Digits.size() > 1)
        text += Separator + Digits.substr(1);
    text += 'E';
    if (Exponent < 0)
        text += '-';
    text += std::to_string(std::abs(Exponent));
    return text;
}

// Rewrites Text as "[-]digits[.digits][e[-]digits]" for from_chars, or returns false when it
// is not a decimal number with Separator as its decimal separator. Blanks around are allowed.
bool Normalise(std::string_view Text, char Separator, std::string &Out)
{
    while (!Text.empty() && Text.front() == ' ')
        Text.remove_prefix(1);
    while (!Text.empty() && Text.back() == ' ')
        Text.remove_suffix(1);
    std::size_t i = 0;
    if (i < Text.size() && (Text[i] == '+' || Text[i] == '-')) {
        if (Text[i] == '-')
            Out += '-';
        ++i;
    }
    std::size_t mantissaDigits = 0;
    for (; i < Text.size() && IsDigit(Text[i]); ++i, ++mantissaDigits)
        Out += Text[i];
    if (i < Text.size() && Text[i] == Separator) {
        Out += '.';
        for (++i; i < Text.size() && IsDigit(Text[i]); ++i, ++mantissaDigits)
            Out += Text[i];
    }
    if (mantissaDigits == 0)
        return false;
    if (i < Text.size() && (Text[i] == 'e' || Text[i] == 'E')) {
        Out += 'e';
        ++i;
        if (i < Text.size() && (Text[i] == '+' || Text[i] == '-'))
            Out += Text[i++];
        std::size_t exponentDigits = 0;
        for (; i < Text.size() && IsDigit(Text[i]); ++i, ++exponentDigits)
            Out += Text[i];
        if (exponentDigits == 0)
            return false;
    }
    return i == Text.size();
}

} // namespace

char UserDecimalSeparator()
{
    try {
        return std::use_facet<std::numpunct<char>>(std::locale("")).decimal_point();
    } catch (const std::runtime_error &) {
        // LANG or LC_ALL names a locale that is not installed.
        return '.';
    }
}

std::string FloatToText(double Value, char DecimalSeparator)
{
    if (std::isnan(Value))
        return "NAN";
    if (std::isinf(Value))
        return Value < 0 ? "-INF" : "INF";
    if (Value == 0)
        return "0";
    std::string digits;
    int exponent = 0;
    Decompose(Value, digits, exponent);
    const std::string sign = Value < 0 ? "-" : "";
    if (exponent >= kLowestFixedExponent && exponent <= kHighestFixedExponent)
        return sign + FixedText(digits, exponent, DecimalSeparator);
    return sign + ScientificText(digits, exponent, DecimalSeparator);
}

std::string FloatToText(double Value)
{
    return FloatToText(Value, UserDecimalSeparator());
}

float TextToFloat(std::string_view Text, char DecimalSeparator)
{
    std::string replaced(Text);
    for (char &c : replaced)
        if (c == '.')
            c = DecimalSeparator;
    std::string normalised;
    if (!Normalise(replaced, DecimalSeparator, normalised))
        return 0;
    double value = 0;
    const auto result = std::from_chars(normalised.data(), normalised.data() + normalised.size(), value);
    if (result.ec != std::errc() || result.ptr != normalised.data() + normalised.size())
        return 0;
    if (std::fabs(value) > std::numeric_limits<float>::max())
        return 0;
    return static_cast<float>(value);
}

float TextToFloat(std::string_view Text)
{
    return TextToFloat(Text, UserDecimalSeparator());
}

} // namespace morlith
