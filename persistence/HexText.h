// SPDX-License-Identifier: MIT
#pragma once
// Hexadecimal text of package files: two digits per byte, the more significant digit first.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace morlith {

// A growable array of bytes whose new elements start at 0.
using TByteArray = std::vector<std::uint8_t>;

// Decodes Text pair by pair into Target from byte Offset on. Returns false for an odd length
// (nothing written), for a pair that is not two hexadecimal digits (earlier pairs stay written)
// or when Target has no room; Why, when given, then says what was wrong. Empty text is true.
bool HexToBytes(std::string_view Text, TByteArray &Target, std::size_t Offset, std::string *Why = nullptr);

// Upper-case hexadecimal text of Count bytes from Data.
std::string BytesToHex(const std::uint8_t *Data, std::size_t Count);

// Upper-case hexadecimal text of all of Bytes.
std::string BytesToHex(const TByteArray &Bytes);

} // namespace morlith
