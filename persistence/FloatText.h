// SPDX-License-Identifier: MIT
#pragma once
// Float text of persisted documents: the general format with 15 significant digits and the
// decimal separator of the user's locale, and a reader that accepts "." as well.

#include <string>
#include <string_view>

namespace morlith {

// Decimal separator of the user's C++ locale (std::locale("")); "." when that locale is unusable.
char UserDecimalSeparator();

// Shortest form of Value at 15 significant digits: fixed notation for magnitudes from 0.0001 up
// to 15 integer digits, otherwise "1.5E-7" style; zero is "0"; NaN and infinities "NAN", "INF".
std::string FloatToText(double Value, char DecimalSeparator);

// FloatToText with the user's decimal separator.
std::string FloatToText(double Value);

// Parses Text after turning every "." into DecimalSeparator, rounded to single precision.
// Text that does not parse, or lies outside the single-precision range, gives 0.
float TextToFloat(std::string_view Text, char DecimalSeparator);

// TextToFloat with the user's decimal separator.
float TextToFloat(std::string_view Text);

} // namespace morlith
