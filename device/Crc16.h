// SPDX-License-Identifier: MIT
#pragma once
// CRC-16/CCITT-FALSE: polynomial 0x1021, initial 0xFFFF, no reflection, no final XOR.
// Running it over a block followed by the block's own CRC (high byte first) gives 0.

#include <cstdint>

namespace morlith {

// CRC of `length` bytes at `data`; a length of 0 or less gives 0xFFFF.
uint16_t CRC16(const uint8_t *data, int64_t length);

} // namespace morlith

namespace morlith {

// Continues a CRC over more bytes: CRC16Continue(CRC16(a, n), b, m) is the CRC of a then b.
uint16_t CRC16Continue(uint16_t crc, const uint8_t *data, int64_t length);

} // namespace morlith
