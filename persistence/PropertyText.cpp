// SPDX-License-Identifier: MIT
#include "PropertyText.h"

#include <cctype>

namespace morlith {

int HexDigitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

namespace {

bool EqualsIgnoringCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

constexpr std::size_t kMaxHexDigits = 8;
constexpr std::size_t kMaxQuotedChars = 40;

} // namespace

namespace {

// Decimal or "$"-hexadecimal text with an optional sign, as the bits of a 32-bit value. Positive
// decimal text may reach DecimalLimit; negative decimal text reaches -2147483648 at most.
bool TryTextToBits(std::string_view Text, std::uint64_t DecimalLimit, std::uint32_t &Bits)
{
    bool negative = false;
    if (!Text.empty() && (Text[0] == '-' || Text[0] == '+')) {
        negative = Text[0] == '-';
        Text.remove_prefix(1);
    }
    const bool hex = !Text.empty() && Text[0] == '$';
    if (hex)
        Text.remove_prefix(1);
    if (Text.empty() || (hex && Text.size() > kMaxHexDigits))
        return false;

    // Accumulate in 64 bits: at most eight hex digits or a decimal value checked at each step.
    const std::uint64_t limit = hex ? 0xFFFFFFFFull : (negative ? 2147483648ull : DecimalLimit);
    std::uint64_t magnitude = 0;
    for (char c : Text) {
        const int digit = hex ? HexDigitValue(c) : (c >= '0' && c <= '9' ? c - '0' : -1);
        if (digit < 0)
            return false;
        magnitude = magnitude * (hex ? 16 : 10) + static_cast<std::uint64_t>(digit);
        if (magnitude > limit)
            return false;
    }
    Bits = static_cast<std::uint32_t>(negative ? (0 - magnitude) : magnitude);
    return true;
}

} // namespace

bool TryTextToInt(std::string_view Text, std::int32_t &Value)
{
    std::uint32_t bits = 0;
    if (!TryTextToBits(Text, 2147483647ull, bits))
        return false;
    Value = static_cast<std::int32_t>(bits);
    return true;
}

bool TryTextToUInt32(std::string_view Text, std::uint32_t &Value)
{
    return TryTextToBits(Text, 4294967295ull, Value);
}

const char *BooleanToText(bool Value)
{
    return Value ? "True" : "False";
}

bool TryTextToBoolean(std::string_view Text, bool &Value)
{
    if (EqualsIgnoringCase(Text, "true")) {
        Value = true;
        return true;
    }
    if (EqualsIgnoringCase(Text, "false")) {
        Value = false;
        return true;
    }
    std::int32_t number = 0;
    if (!TryTextToInt(Text, number))
        return false;
    Value = number != 0;
    return true;
}

std::string QuoteForMessage(std::string_view Text)
{
    if (Text.size() <= kMaxQuotedChars)
        return "'" + std::string(Text) + "'";
    return "'" + std::string(Text.substr(0, kMaxQuotedChars)) + "...'";
}

} // namespace morlith
