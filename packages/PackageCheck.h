// SPDX-License-Identifier: MIT
#pragma once
// Checks a firmware package without a module: loads and decodes it with the engine's converter
// and asks whether an application write would accept it, by rebuilding the header the package
// builder would make for the decoded image and comparing.

#include <cstdint>
#include <string>
#include <vector>

namespace morlith {

// What a package holds and what a write would make of it.
struct TPackageReport {
    // Why the file does not load or decode (an input error); empty when it does.
    std::string Problem;
    // Why a write would refuse it; empty when a write would accept it.
    std::string Refusal;
    std::vector<uint8_t> Header;
    // The header's fields (valid when Header has 8 bytes).
    uint16_t HeaderImageLength = 0;
    uint16_t HeaderImageCrc = 0;
    // The third word: the data-segment length the module has after the write.
    uint16_t DsegLength = 0;
    uint16_t HeaderCrc = 0;
    // The header CRC over bytes 0..5 holds.
    bool HeaderCrcHolds = false;
    // The image: decoded length, and CRC with the key taken off.
    size_t ImageBytes = 0;
    uint16_t ComputedImageCrc = 0;
    // The image with the key taken off, as the module will hold it (when HasKey()).
    std::vector<uint8_t> PlainImage;
    // The key added to every image byte, and whether it is the substitute for a zero sum.
    uint8_t Key = 0;
    bool SubstituteKey = false;
    // Number of pieces in the package.
    size_t Pieces = 0;

    bool Loaded() const { return Problem.empty(); }
    // The header has its 8 bytes, so the key and the plain image are known.
    bool HasKey() const { return Loaded() && Header.size() == 8; }
    bool Accepted() const { return Problem.empty() && Refusal.empty(); }
};

// Loads, decodes and checks the package at `path`.
TPackageReport InspectPackage(const std::string &path);

// "" when `path` names a readable regular file; otherwise the problem, naming the file.
std::string CheckReadableFile(const std::string &path);

} // namespace morlith
