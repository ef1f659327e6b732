// SPDX-License-Identifier: MIT
#pragma once
// Text between the program's UTF-8 and the UTF-16 of the Win32 wide API (Windows only).

#include <string>

namespace morlith {

// The UTF-16 form of the UTF-8 text `utf8`; invalid sequences become U+FFFD.
std::wstring WideFromUtf8(const std::string &utf8);

// The UTF-8 form of `length` UTF-16 units at `wide`.
std::string Utf8FromWide(const wchar_t *wide, size_t length);
inline std::string Utf8FromWide(const std::wstring &wide) { return Utf8FromWide(wide.data(), wide.size()); }

} // namespace morlith
