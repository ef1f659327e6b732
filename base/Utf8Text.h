// SPDX-License-Identifier: MIT
#pragma once
// UTF-8 as it comes: file names and module texts may hold any bytes, so whoever shows or records
// them asks first whether they are valid UTF-8.

#include <cstddef>
#include <string>

namespace morlith {

// The length of the valid UTF-8 sequence starting at text[at], or 0 when the bytes there are not
// one (a stray continuation byte, a cut sequence, an overlong form, a surrogate, past U+10FFFF).
size_t Utf8SequenceLength(const std::string &text, size_t at);
// The code point of the valid sequence of `length` bytes at text[at].
char32_t Utf8CodePoint(const std::string &text, size_t at, size_t length);
bool IsValidUtf8(const std::string &text);
// Each byte as two lower-case hexadecimal digits: "e4bda0".
std::string HexOfBytes(const std::string &bytes);

} // namespace morlith
