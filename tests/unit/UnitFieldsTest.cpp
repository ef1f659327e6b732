// SPDX-License-Identifier: MIT
// A unit's serial written into a copy of a data-segment template: widths and byte orders, the
// CRC over a range, and every field that cannot be filled refused with the template untouched.

#include "Crc16.h"
#include "UnitFields.h"

#include <gtest/gtest.h>

using namespace morlith;

namespace {

constexpr TByteOrder kLittle = TByteOrder::boLittle;
constexpr TByteOrder kBig = TByteOrder::boBig;

TSerialField Field(uint64_t offset, unsigned width, TByteOrder order)
{
    TSerialField field;
    field.Offset = offset;
    field.Width = width;
    field.Order = order;
    return field;
}

TSerialField WithCrc(TSerialField field, uint64_t from, uint64_t length, uint64_t at, TByteOrder order = kBig)
{
    field.Crc = TCrcField{from, length, at, order};
    return field;
}

std::vector<uint8_t> Template(size_t size)
{
    std::vector<uint8_t> bytes(size);
    for (size_t i = 0; i < size; ++i)
        bytes[i] = uint8_t(0xA0 + i);
    return bytes;
}

// `bytes` with `part` written at `at`.
std::vector<uint8_t> With(std::vector<uint8_t> bytes, size_t at, const std::vector<uint8_t> &part)
{
    std::copy(part.begin(), part.end(), bytes.begin() + long(at));
    return bytes;
}

TEST(UnitFields, TheSerialLandsAtItsPlaceInItsWidthAndOrder)
{
    struct Case {
        const char *name;
        size_t size;
        TSerialField field;
        uint64_t serial;
        std::vector<uint8_t> at; // the field's bytes
    };
    const Case cases[] = {
        {"4 little", 8, Field(2, 4, kLittle), 0x01020304, {0x04, 0x03, 0x02, 0x01}},
        {"4 big", 8, Field(2, 4, kBig), 0x01020304, {0x01, 0x02, 0x03, 0x04}},
        {"1 byte at the end", 8, Field(7, 1, kBig), 0xFF, {0xFF}},
        {"3 bytes, the largest", 8, Field(0, 3, kLittle), 0xFFFFFF, {0xFF, 0xFF, 0xFF}},
        {"2 bytes, zero", 4, Field(1, 2, kBig), 0, {0x00, 0x00}},
        {"8 little", 8, Field(0, 8, kLittle), 0x0102030405060708, {8, 7, 6, 5, 4, 3, 2, 1}},
        {"8 big, the largest", 8, Field(0, 8, kBig), UINT64_MAX, std::vector<uint8_t>(8, 0xFF)},
        {"whole template", 2, Field(0, 2, kLittle), 1000, {0xE8, 0x03}},
    };
    for (const Case &c : cases) {
        const std::vector<uint8_t> original = Template(c.size);
        std::vector<uint8_t> unit;
        TFailure failure;
        ASSERT_TRUE(FillSerial(original, c.field, c.serial, unit, failure)) << c.name << ": " << failure;
        EXPECT_EQ(unit, With(original, c.field.Offset, c.at)) << c.name;
        EXPECT_EQ(original, Template(c.size)) << c.name << ": the template itself is not changed";
    }
}

TEST(UnitFields, TheCrcCoversItsRangeWithTheSerialInIt)
{
    // The check value of CRC-16/CCITT-FALSE: "123456789" gives 0x29B1.
    const std::vector<uint8_t> digits = {'0', '2', '3', '4', '5', '6', '7', '8', '9', 0, 0};
    std::vector<uint8_t> unit;
    TFailure failure;
    ASSERT_TRUE(FillSerial(digits, WithCrc(Field(0, 1, kBig), 0, 9, 9), '1', unit, failure)) << failure;
    EXPECT_EQ(unit, With(With(digits, 0, {'1'}), 9, {0x29, 0xB1}));
    ASSERT_TRUE(FillSerial(digits, WithCrc(Field(0, 1, kBig), 0, 9, 9, kLittle), '1', unit, failure)) << failure;
    EXPECT_EQ(unit, With(With(digits, 0, {'1'}), 9, {0xB1, 0x29}));

    // A block followed by its CRC, high byte first, checks to 0 as a whole, whatever the serial;
    // a CRC before its range works as well.
    struct Case {
        const char *name;
        TSerialField field;
        uint64_t from, length;
        size_t crcAt;
    };
    const Case cases[] = {
        {"CRC after the block", WithCrc(Field(4, 4, kLittle), 0, 30, 30), 0, 30, 30},
        {"CRC before the block", WithCrc(Field(20, 4, kBig), 2, 30, 0), 2, 30, 0},
        {"serial outside the range", WithCrc(Field(0, 2, kBig), 4, 10, 14), 4, 10, 14},
    };
    for (const Case &c : cases)
        for (const uint64_t serial : {uint64_t(1), uint64_t(4242), uint64_t(65535)}) {
            ASSERT_TRUE(FillSerial(Template(32), c.field, serial, unit, failure)) << c.name << ": " << failure;
            std::vector<uint8_t> block(unit.begin() + long(c.from), unit.begin() + long(c.from + c.length));
            block.push_back(unit[c.crcAt]);
            block.push_back(unit[c.crcAt + 1]);
            EXPECT_EQ(CRC16(block.data(), int64_t(block.size())), 0) << c.name << ", serial " << serial;
        }
}

TEST(UnitFields, AFieldThatCannotBeFilledIsRefusedAndTheUnitLeftAlone)
{
    struct Case {
        const char *name;
        size_t size;
        TSerialField field;
        uint64_t serial;
    };
    const Case cases[] = {
        {"width 0", 8, Field(0, 0, kLittle), 0},
        {"width 9", 16, Field(0, 9, kLittle), 0},
        {"past the end", 8, Field(6, 4, kLittle), 1},
        {"offset past the end", 8, Field(9, 1, kLittle), 1},
        {"offset that wraps around", 8, Field(UINT64_MAX - 1, 4, kLittle), 1},
        {"empty template", 0, Field(0, 1, kLittle), 1},
        {"too large for 1 byte", 8, Field(0, 1, kBig), 256},
        {"too large for 2 bytes", 8, Field(0, 2, kBig), 65536},
        {"too large for 7 bytes", 8, Field(0, 7, kBig), uint64_t(1) << 56},
        {"CRC range empty", 16, WithCrc(Field(0, 4, kBig), 4, 0, 14), 1},
        {"CRC range past the end", 16, WithCrc(Field(0, 4, kBig), 4, 13, 0), 1},
        {"CRC range that wraps around", 16, WithCrc(Field(0, 4, kBig), 4, UINT64_MAX, 14), 1},
        {"CRC past the end", 16, WithCrc(Field(0, 4, kBig), 0, 8, 15), 1},
        {"CRC inside its range", 16, WithCrc(Field(0, 4, kBig), 0, 14, 13), 1},
        {"CRC over the serial", 16, WithCrc(Field(8, 4, kBig), 0, 8, 11), 1},
    };
    for (const Case &c : cases) {
        std::vector<uint8_t> unit = {1, 2, 3};
        TFailure failure;
        EXPECT_FALSE(FillSerial(Template(c.size), c.field, c.serial, unit, failure)) << c.name;
        EXPECT_EQ(failure.Kind, TFailureKind::fkRefusedInput) << c.name << ": " << failure;
        EXPECT_FALSE(failure.Detail.empty()) << c.name;
        EXPECT_EQ(unit, (std::vector<uint8_t>{1, 2, 3})) << c.name;
        // What does not depend on the number is found before any number is taken.
        const bool numberOnly = std::string(c.name).rfind("too large", 0) == 0;
        TFailure early;
        EXPECT_EQ(CheckSerialField(c.field, c.size, early), numberOnly) << c.name;
    }
}

} // namespace
