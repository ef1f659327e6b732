// SPDX-License-Identifier: MIT
#pragma once
// Number parsing and formatting for the front ends: whole numbers with range checks, byte
// counts with thousands separators, durations and transfer rates.

#include <cstdint>
#include <optional>
#include <string>

#include "TextWidth.h"

namespace morlith {

// A whole number in decimal (or, with `allowHex`, "0x" hexadecimal) within [min, max]; nothing
// for an empty text, a sign, trailing characters or a value out of range.
std::optional<uint64_t> ParseWholeNumber(const std::string &text, uint64_t min, uint64_t max,
                                         bool allowHex = false);

// 12300 as "12,300".
std::string GroupThousands(uint64_t value);
// A count of bytes in words: "1 byte", "12,300 bytes".
std::string CountOfBytes(uint64_t bytes);

// Seconds as "0.8 s", "12.4 s" or "2 min 05 s".
std::string FormatSeconds(double seconds);

// Bytes per second as "1.9 kB/s" (1 kB = 1000 bytes) or "640 B/s".
std::string FormatRate(double bytesPerSecond);

// A 16-bit value as "0x1A2B".
std::string Hex16(uint16_t value);

// A byte as "0x5A".
std::string Hex8(uint8_t value);

// `text` padded with spaces to `width` columns (a table column); longer text is kept whole.
std::string PadRight(std::string text, size_t width);

} // namespace morlith
