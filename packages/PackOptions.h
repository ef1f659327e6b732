// SPDX-License-Identifier: MIT
#pragma once
// The options of pack and info beyond the common ones: the data-segment length of the header,
// how the input file becomes an image, and where info writes the decoded image.

#include "FirmwareFormat.h"

#include <cstdint>
#include <optional>
#include <string>

namespace morlith {

// What pack and info were given.
struct TPackOptions {
    // The header's third word, the data-segment length the module has after the write; pack
    // does not run without it.
    std::optional<uint16_t> DsegLength;
    // The input format; detected from the content when not given.
    std::optional<TFirmwareFormat> Format;
    // The address of the image's first byte; the lowest address of the data when not given.
    std::optional<uint64_t> Base;
    // The value of image bytes that no data gives; 0xFF when not given.
    std::optional<uint8_t> Fill;
    // info: the file to write the decoded plain image to.
    std::string ImageOut;
};

} // namespace morlith
