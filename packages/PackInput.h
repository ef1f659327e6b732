// SPDX-License-Identifier: MIT
#pragma once
// What pack makes of its input file: the plain image, decoded from raw binary, Intel HEX,
// S-records or ELF and laid out from its base, or why the file gives none.

#include "FirmwareFormat.h"
#include "PackOptions.h"

#include <cstdint>
#include <string>
#include <vector>

namespace morlith {

// The image and what it was made of.
struct TPackInput {
    std::vector<uint8_t> Image;
    TFirmwareFormat Format = TFirmwareFormat::ffBinary;
    // The address of the image's first byte.
    uint64_t Base = 0;
    // Bytes of the image that the fill value gave.
    size_t FilledBytes = 0;
    // Why there is no image, naming the file; empty when there is one.
    std::string Problem;

    bool Ok() const { return Problem.empty(); }
};

// Reads and decodes the firmware file at `path` as `options` ask. An empty image, data that does
// not fit 65,535 bytes and text in no firmware format (unless raw binary is asked for) are problems.
TPackInput ReadPackInput(const std::string &path, const TPackOptions &options);

} // namespace morlith
