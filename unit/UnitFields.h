// SPDX-License-Identifier: MIT
#pragma once
// What makes one unit's data segment differ from the next: its serial number, written into a copy
// of a data-segment template at a given place, width and byte order, and optionally a CRC over a
// range of the result (the CRC-16 the module's frames and package headers use), so that the
// unit's firmware can check its block.

#include "Failure.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace morlith {

enum class TByteOrder : uint8_t {
    boLittle, // least significant byte first
    boBig, // most significant byte first
};

// A CRC-16/CCITT-FALSE over `Length` bytes from `From`, written as two bytes at `At` (outside
// that range) in `Order`; high byte first by default, as every 16-bit value on the line.
struct TCrcField {
    uint64_t From = 0;
    uint64_t Length = 0;
    uint64_t At = 0;
    TByteOrder Order = TByteOrder::boBig;
};

// Where a unit's serial goes in its data segment: `Width` bytes (1 to 8) at `Offset` in `Order`.
// The CRC, when there is one, is computed after the serial is in place.
struct TSerialField {
    uint64_t Offset = 0;
    unsigned Width = 4;
    TByteOrder Order = TByteOrder::boLittle;
    std::optional<TCrcField> Crc;
};

// Bytes a width may hold at the most.
constexpr unsigned kLongestSerialWidth = 8;
// The largest serial that `width` bytes (1 to 8) hold.
uint64_t LargestSerial(unsigned width);

// The byte order that `name` ("little", "big") names; nothing for another name.
std::optional<TByteOrder> ByteOrderNamed(const std::string &name);

// Checks `field` against a template of `templateSize` bytes, before any number is taken: a width
// of 1 to 8, the serial, the CRC and the CRC's range inside the template, a range that is not
// empty, and a CRC that overlaps neither its range nor the serial. False with `failure`
// (refused_input) saying which.
bool CheckSerialField(const TSerialField &field, uint64_t templateSize, TFailure &failure);

// A copy of `templateBytes` with `serial` written into `field` (and the CRC, if the field has
// one), in `unit`. False with `failure` (refused_input) when the field does not suit the template
// or the serial does not fit the width; `unit` is then left alone.
bool FillSerial(const std::vector<uint8_t> &templateBytes, const TSerialField &field, uint64_t serial,
                std::vector<uint8_t> &unit, TFailure &failure);

// The serial a module's data segment `segment` already holds in `field`: nothing when the field
// lies outside it, holds all zeros or all ones (never written), or its CRC (when the field has
// one) does not check.
std::optional<uint64_t> SerialHeldIn(const std::vector<uint8_t> &segment, const TSerialField &field);

} // namespace morlith
