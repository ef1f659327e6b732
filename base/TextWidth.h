// SPDX-License-Identifier: MIT
#pragma once
// How many terminal columns text takes: East Asian wide and fullwidth characters take two,
// combining marks and zero-width characters none, everything else one. The same answer on every
// system and in every locale (the C library's wcwidth says -1 for all but ASCII under LANG=C, and
// Windows has none), so a board drawn for a terminal never wraps a line it meant to fit.

#include <cstddef>
#include <string>

namespace morlith {

// The columns of one code point.
unsigned CharacterWidth(char32_t code);

// The columns of UTF-8 `text`; a byte that is not part of a sound sequence counts one.
size_t DisplayWidth(const std::string &text);

// The length of the sound UTF-8 sequence at `at` of `text` and its code point in `code`; 0 when
// the bytes there are no sound sequence (a stray or cut byte, an overlong or surrogate form).
size_t Utf8SequenceAt(const std::string &text, size_t at, char32_t &code);

} // namespace morlith
