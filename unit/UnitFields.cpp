// SPDX-License-Identifier: MIT
#include "UnitFields.h"

#include "Crc16.h"

#include <algorithm>

namespace morlith {
namespace {

constexpr const char *kStep = "filling in the unit's serial number";
constexpr unsigned kCrcWidth = 2;

TFailure Refused(const std::string &detail)
{
    return MakeFailure(TFailureKind::fkRefusedInput, detail).During(kStep);
}

// True when `width` bytes at `offset` lie inside `size` bytes (no overflow on the way).
bool Inside(uint64_t offset, uint64_t width, uint64_t size) { return offset <= size && width <= size - offset; }

// True when [a, a + aWidth) and [b, b + bWidth) share a byte.
bool Overlap(uint64_t a, uint64_t aWidth, uint64_t b, uint64_t bWidth) { return a < b + bWidth && b < a + aWidth; }

std::string Bytes(uint64_t count) { return std::to_string(count) + (count == 1 ? " byte" : " bytes"); }

// Writes the low `width` bytes of `value` at `at` in `order`.
void Put(std::vector<uint8_t> &bytes, uint64_t at, unsigned width, TByteOrder order, uint64_t value)
{
    for (unsigned i = 0; i < width; ++i) {
        const unsigned place = order == TByteOrder::boLittle ? i : width - 1 - i;
        bytes[size_t(at + place)] = uint8_t(value >> (8 * i));
    }
}

// The `width` bytes at `at` in `order` as a number.
uint64_t Get(const std::vector<uint8_t> &bytes, uint64_t at, unsigned width, TByteOrder order)
{
    uint64_t value = 0;
    for (unsigned i = 0; i < width; ++i) {
        const unsigned place = order == TByteOrder::boLittle ? i : width - 1 - i;
        value |= uint64_t(bytes[size_t(at + place)]) << (8 * i);
    }
    return value;
}

} // namespace

std::optional<uint64_t> SerialHeldIn(const std::vector<uint8_t> &segment, const TSerialField &field)
{
    TFailure failure;
    if (!CheckSerialField(field, segment.size(), failure))
        return std::nullopt;
    const auto first = segment.begin() + ptrdiff_t(field.Offset);
    const auto last = first + ptrdiff_t(field.Width);
    // Erased (all ones) or cleared (all zeros): no number was written there.
    if (std::all_of(first, last, [](uint8_t b) { return b == 0xFF; }) ||
        std::all_of(first, last, [](uint8_t b) { return b == 0; }))
        return std::nullopt;
    if (field.Crc) {
        const TCrcField &crc = *field.Crc;
        if (Get(segment, crc.At, kCrcWidth, crc.Order) != CRC16(segment.data() + crc.From, int64_t(crc.Length)))
            return std::nullopt;
    }
    return Get(segment, field.Offset, field.Width, field.Order);
}

uint64_t LargestSerial(unsigned width)
{
    return width >= kLongestSerialWidth ? UINT64_MAX : (uint64_t(1) << (8 * width)) - 1;
}

std::optional<TByteOrder> ByteOrderNamed(const std::string &name)
{
    if (name == "little")
        return TByteOrder::boLittle;
    if (name == "big")
        return TByteOrder::boBig;
    return std::nullopt;
}

bool CheckSerialField(const TSerialField &field, uint64_t templateSize, TFailure &failure)
{
    const std::string size = "the " + Bytes(templateSize) + " of the template";
    if (field.Width < 1 || field.Width > kLongestSerialWidth) {
        failure = Refused("a serial field is 1 to 8 bytes wide, not " + std::to_string(field.Width));
        return false;
    }
    if (!Inside(field.Offset, field.Width, templateSize)) {
        failure = Refused("the serial field (" + Bytes(field.Width) + " at offset " + std::to_string(field.Offset) +
                          ") lies outside " + size);
        return false;
    }
    if (!field.Crc)
        return true;
    const TCrcField &crc = *field.Crc;
    if (crc.Length == 0) {
        failure = Refused("the CRC's range is empty");
        return false;
    }
    if (!Inside(crc.From, crc.Length, templateSize)) {
        failure = Refused("the CRC's range (" + Bytes(crc.Length) + " from offset " + std::to_string(crc.From) +
                          ") lies outside " + size);
        return false;
    }
    if (!Inside(crc.At, kCrcWidth, templateSize)) {
        failure = Refused("the CRC (2 bytes at offset " + std::to_string(crc.At) + ") lies outside " + size);
        return false;
    }
    if (Overlap(crc.At, kCrcWidth, crc.From, crc.Length)) {
        failure = Refused("the CRC at offset " + std::to_string(crc.At) + " lies inside the range it covers");
        return false;
    }
    if (Overlap(crc.At, kCrcWidth, field.Offset, field.Width)) {
        failure = Refused("the CRC at offset " + std::to_string(crc.At) + " overlaps the serial field");
        return false;
    }
    return true;
}

bool FillSerial(const std::vector<uint8_t> &templateBytes, const TSerialField &field, uint64_t serial,
                std::vector<uint8_t> &unit, TFailure &failure)
{
    if (!CheckSerialField(field, templateBytes.size(), failure))
        return false;
    if (serial > LargestSerial(field.Width)) {
        failure = Refused("the serial number " + std::to_string(serial) + " does not fit " + Bytes(field.Width) +
                          " (at most " + std::to_string(LargestSerial(field.Width)) + ")");
        return false;
    }
    std::vector<uint8_t> filled = templateBytes;
    Put(filled, field.Offset, field.Width, field.Order, serial);
    if (field.Crc) {
        const TCrcField &crc = *field.Crc;
        Put(filled, crc.At, kCrcWidth, crc.Order, CRC16(filled.data() + crc.From, int64_t(crc.Length)));
    }
    unit = std::move(filled);
    return true;
}

} // namespace morlith
