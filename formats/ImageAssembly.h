// SPDX-License-Identifier: MIT
#pragma once
// Turns the data of a firmware file into one plain image: from the base (the lowest address
// unless one is given) to the highest address, gaps filled.

#include "FirmwareData.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace morlith {

// How the image is laid out.
struct TImageLayout {
    // The address of the image's first byte; the lowest address of the data when not given.
    std::optional<uint64_t> Base;
    // The value of bytes that no data gives.
    uint8_t Fill = 0xFF;
};

// The image, or why there is none.
struct TAssembledImage {
    std::vector<uint8_t> Image;
    // The address of Image[0].
    uint64_t Base = 0;
    // How many bytes of Image the fill value gave.
    size_t FilledBytes = 0;
    std::optional<TImageError> Error;

    bool Ok() const { return !Error.has_value(); }
};

// Lays `data` out as an image. Refused: no data at all, data below the base or more than 65,535
// bytes from it, and two runs that give bytes for the same address (even equal ones).
TAssembledImage AssembleImage(const TFirmwareData &data, const TImageLayout &layout);

} // namespace morlith
