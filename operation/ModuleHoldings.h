// SPDX-License-Identifier: MIT
#pragma once
// What a module holds: the parameter block of each controller, the main one and the four slaves,
// and which of a few packages each one holds (by the image length and CRC of their headers).

#include "ControllerHolding.h"
#include "Failure.h"
#include "HexText.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace morlith {

class TComPortProgrammator;

// The controllers a module may have: 0 the main one, 1..4 the slaves.
constexpr uint8_t kLastController = 4;

// A package asked about: its name as given and its 8-byte header.
struct TKnownPackage {
    std::string Name;
    TByteArray Header;
};

// True when `Block` gives the image length and CRC of the package whose header is `Header`.
bool HoldsImageOf(const std::array<uint16_t, 4> &Block, const TByteArray &Header);
// True when writing the package of `Header` would leave `Block` as it is: the same image length,
// image CRC and data-segment length (a package also sets the segment's length).
bool IsCurrent(const std::array<uint16_t, 4> &Block, const TByteArray &Header);

// Names in each present controller of `Holdings` the first of `Packages` it holds.
void NameHeldPackages(std::vector<TControllerHolding> &Holdings, const std::vector<TKnownPackage> &Packages);

// On a connection to the main controller through `Programmator` (port `PortNumber`): reads the
// parameter block of every controller, the main one first, into `Holdings`. A slave whose
// selection gets no answer is absent (not fitted), and the next one is reached on a fresh
// handshake; any other failure ends the reading and is returned.
TFailure ReadModuleHoldings(TComPortProgrammator &Programmator, int32_t PortNumber,
                            std::vector<TControllerHolding> &Holdings);

// "5,000 bytes, CRC 0x1A2B" of a controller's image; "no application" for an empty one.
std::string DescribeImage(const TControllerHolding &Holding);

} // namespace morlith
