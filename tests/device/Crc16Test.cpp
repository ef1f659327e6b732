// SPDX-License-Identifier: MIT
#include "Crc16.h"

#include <gtest/gtest.h>

#include <cstring>

using morlith::CRC16;

TEST(Crc16, CheckValueAndEmptyInput)
{
    const char *check = "123456789";
    EXPECT_EQ(CRC16(reinterpret_cast<const uint8_t *>(check), 9), 0x29B1);
    EXPECT_EQ(CRC16(nullptr, 0), 0xFFFF);
    EXPECT_EQ(CRC16(reinterpret_cast<const uint8_t *>(check), -5), 0xFFFF);
}

TEST(Crc16, BlockFollowedByItsCrcGivesZero)
{
    uint8_t block[8] = {0x12, 0x34, 0x80, 0x00, 0x01, 0x00, 0, 0};
    const uint16_t crc = CRC16(block, 6);
    EXPECT_EQ(crc, 0xF435);
    block[6] = uint8_t(crc >> 8);
    block[7] = uint8_t(crc);
    EXPECT_EQ(CRC16(block, 8), 0);
    std::swap(block[6], block[7]);
    EXPECT_NE(CRC16(block, 8), 0);
}
