// SPDX-License-Identifier: MIT
#include "HexText.h"

#include "PropertyText.h"

namespace morlith {

namespace {

void SetWhy(std::string *Why, std::string Text)
{
    if (Why)
        *Why = std::move(Text);
}

} // namespace

bool HexToBytes(std::string_view Text, TByteArray &Target, std::size_t Offset, std::string *Why)
{
    if (Text.size() % 2 != 0) {
        SetWhy(Why, "has odd length " + std::to_string(Text.size()));
        return false;
    }
    const std::size_t count = Text.size() / 2;
    if (Offset > Target.size() || count > Target.size() - Offset) {
        SetWhy(Why, "does not fit: " + std::to_string(count) + " bytes at offset " + std::to_string(Offset) +
                        " of " + std::to_string(Target.size()));
        return false;
    }
    for (std::size_t k = 0; k < count; ++k) {
        const std::string_view pair = Text.substr(2 * k, 2);
        // Exactly two hexadecimal digits: no blanks, signs or other letters.
        const int high = HexDigitValue(pair[0]);
        const int low = HexDigitValue(pair[1]);
        if (high < 0 || low < 0) {
            SetWhy(Why, QuoteForMessage(pair) + " at position " + std::to_string(2 * k) + " is not a hexadecimal pair");
            return false;
        }
        Target[Offset + k] = static_cast<std::uint8_t>(high * 16 + low);
    }
    return true;
}

std::string BytesToHex(const std::uint8_t *Data, std::size_t Count)
{
    static const char kDigits[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(2 * Count);
    for (std::size_t i = 0; i < Count; ++i) {
        text += kDigits[Data[i] >> 4];
        text += kDigits[Data[i] & 0x0F];
    }
    return text;
}

std::string BytesToHex(const TByteArray &Bytes)
{
    return BytesToHex(Bytes.data(), Bytes.size());
}

} // namespace morlith
