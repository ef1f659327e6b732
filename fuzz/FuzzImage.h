// SPDX-License-Identifier: MIT
#pragma once
// What the format fuzz targets share: decoded data laid out as an image, with a base taken from
// the input now and then, and the promises of both checked.

#include "ImageAssembly.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace morlith::fuzz {

// The input as text, for the record formats.
inline std::string_view Text(const uint8_t *data, size_t size)
{
    return std::string_view(reinterpret_cast<const char *>(data), size);
}

// Lays `decoded` out; traps when a run points outside the data or an image is too large.
inline void LayOut(const TDecodedFirmware &decoded, const uint8_t *data, size_t size)
{
    if (!decoded.Ok())
        return;
    for (const TDataRun &run : decoded.Data.Runs)
        if (run.Length == 0 || run.Offset + run.Length > decoded.Data.Bytes.size())
            __builtin_trap();
    TImageLayout layout;
    // An odd first byte asks for a base up to 127 bytes below the first run (or, wrapping, far above).
    if (size > 0 && (data[0] & 1) && !decoded.Data.Runs.empty())
        layout.Base = decoded.Data.Runs.front().Address - (data[0] >> 1);
    const TAssembledImage image = AssembleImage(decoded.Data, layout);
    if (image.Ok() && (image.Image.empty() || image.Image.size() > kMaxImageBytes))
        __builtin_trap();
}

} // namespace morlith::fuzz
