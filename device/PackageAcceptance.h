// SPDX-License-Identifier: MIT
#pragma once
// The rules an application write applies to a package before its first frame: the package loads
// and decodes, its header has 8 bytes and holds its CRC, and the image has the length and, with
// the key taken off, the CRC that the header gives. Both front ends check a package by these
// rules before connecting; the engine checks them again before it sends anything.

#include "Failure.h"
#include "HexText.h"

#include <array>
#include <cstdint>
#include <string>

namespace morlith {

class TMorlithFileConverter;

// Bytes of a package header and of a parameter block.
constexpr size_t kHeaderBytes = 8;

// The four words of an 8-byte header or parameter block, high byte first: image length, image
// CRC, data-segment length, block CRC. Missing bytes count as 0.
std::array<uint16_t, 4> HeaderWords(const TByteArray &Header);

// Loads and decodes the package text `Content` (named `Name` in messages) into `Converter`. A
// refused_input failure when it does not load or decode; none otherwise.
TFailure LoadPackageText(TMorlithFileConverter &Converter, const std::string &Content, const std::string &Name);

// Why a write would refuse a package of this header and keyed image (refused_input); no failure
// when it would take it.
TFailure PackageRefusal(const TByteArray &Header, const TByteArray &KeyedImage);

// The CRC of `KeyedImage` with `Key` taken off every byte, computed without copying the image.
uint16_t PlainImageCrc(const TByteArray &KeyedImage, uint8_t Key);

} // namespace morlith
