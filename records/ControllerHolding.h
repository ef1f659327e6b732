// SPDX-License-Identifier: MIT
#pragma once
// What one controller of a module holds, as its parameter block gives it, and how the `status`
// event and record write it.

#include "JsonLines.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace morlith {

struct TControllerHolding {
    // 0 for the main controller, 1..4 for a slave.
    uint8_t Controller = 0;
    // False for a slave that did not answer its selection (not fitted): the block is unknown.
    bool Present = false;
    // Image length, image CRC, data-segment length, CRC of the first six bytes.
    std::array<uint16_t, 4> Block{};
    // The package it holds, named as it was given; none when it holds none of those asked about.
    std::optional<std::string> Package;

    uint16_t ImageLength() const { return Block[0]; }
    uint16_t ImageCrc() const { return Block[1]; }
    uint16_t SegmentLength() const { return Block[2]; }
};

// {"mcu":0,"image_length":N,"image_crc":"0x1A2B","dseg_length":N,"package":"a.xml"|null}, or
// {"mcu":3,"absent":true} for a slave that did not answer.
TJson HoldingObject(const TControllerHolding &Holding);

} // namespace morlith
