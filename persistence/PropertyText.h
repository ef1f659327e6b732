// SPDX-License-Identifier: MIT
#pragma once
// Text forms of integers and Booleans as they appear in persisted documents.

#include <cstdint>
#include <string>
#include <string_view>

namespace morlith {

// Converts decimal text (optional sign) or "$"-prefixed hexadecimal text to a signed 32-bit
// integer. No blanks are accepted anywhere; hexadecimal text of up to eight digits wraps into
// the signed range ("$FFFFFFFF" is -1). Returns false and leaves Value alone on any other text.
bool TryTextToInt(std::string_view Text, std::int32_t &Value);

// As TryTextToInt, for an unsigned 32-bit field: decimal text may also run up to 4294967295 (the
// text such a field is written as); everything TryTextToInt accepts keeps its bits.
bool TryTextToUInt32(std::string_view Text, std::uint32_t &Value);

// Value of one hexadecimal digit in either letter case, or -1.
int HexDigitValue(char c);

// "True" or "False".
const char *BooleanToText(bool Value);

// Accepts "True"/"False" in any letter case or any integer text (zero is false).
bool TryTextToBoolean(std::string_view Text, bool &Value);

// Puts Text in single quotes for error descriptions, cut short when long.
std::string QuoteForMessage(std::string_view Text);

} // namespace morlith
