// SPDX-License-Identifier: MIT
#pragma once
// Bytes on the wire, both directions, of a connect followed by an application write, and the line
// time they take (10 bits a byte).

#include "ComPortProgrammator.h"

#include <algorithm>
#include <cstddef>

constexpr double kLineBitsPerByte = 10.0;
constexpr size_t kRequestOverhead = 4;
constexpr size_t kReplyOverhead = 2;

inline size_t WireBytes(size_t imageBytes)
{
    using morlith::kChunkBytes;
    size_t bytes = (50 + kRequestOverhead) + (7 + kReplyOverhead); // C
    bytes += 2 * ((50 + kRequestOverhead) + (2 + kReplyOverhead)); // F (block), F (application)
    bytes += (8 + kRequestOverhead) + (2 + kReplyOverhead); // W (block)
    for (size_t sent = 0; sent < imageBytes; sent += kChunkBytes) {
        const size_t chunk = std::min<size_t>(kChunkBytes, imageBytes - sent);
        bytes += (chunk + kRequestOverhead) + (2 + kReplyOverhead);
    }
    return bytes;
}

inline double LineTimeMs(size_t imageBytes, unsigned bitRate)
{
    return double(WireBytes(imageBytes)) * kLineBitsPerByte / bitRate * 1000.0;
}
