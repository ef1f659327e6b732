// SPDX-License-Identifier: MIT
#pragma once
// SHA-256 (FIPS 180-4), fed in pieces: the fingerprint of a package or data file in the
// production log.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace morlith {

class TSha256 {
public:
    TSha256();
    // Adds `size` bytes.
    void Update(const void *data, size_t size);
    // The digest of everything added; the object is spent afterwards.
    std::array<uint8_t, 32> Finish();
    // The digest as 64 lower-case hexadecimal digits; the object is spent afterwards.
    std::string FinishHex();

private:
    void Compress(const uint8_t *block);

    std::array<uint32_t, 8> FState;
    std::array<uint8_t, 64> FBlock{};
    size_t FBlockUsed = 0;
    uint64_t FTotalBytes = 0;
};

// The SHA-256 of `size` bytes as 64 lower-case hexadecimal digits.
std::string Sha256Hex(const void *data, size_t size);

} // namespace morlith
