// SPDX-License-Identifier: MIT
#include "Crc16.h"

#include <array>

namespace morlith {
namespace {

constexpr uint16_t kPolynomial = 0x1021;

constexpr std::array<uint16_t, 256> MakeTable()
{
    std::array<uint16_t, 256> table{};
    for (unsigned byte = 0; byte < 256; ++byte) {
        uint16_t crc = uint16_t(byte << 8);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 0x8000) ? uint16_t((crc << 1) ^ kPolynomial) : uint16_t(crc << 1);
        table[byte] = crc;
    }
    return table;
}

constexpr auto kTable = MakeTable();

} // namespace

uint16_t CRC16(const uint8_t *data, int64_t length) { return CRC16Continue(0xFFFF, data, length); }

uint16_t CRC16Continue(uint16_t crc, const uint8_t *data, int64_t length)
{
    for (int64_t i = 0; i < length; ++i)
        crc = uint16_t((crc << 8) ^ kTable[((crc >> 8) ^ data[i]) & 0xFF]);
    return crc;
}

} // namespace morlith
