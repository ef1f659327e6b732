#pragma once
// Builds firmware packages from a plain image: the header a write checks, the keyed image, and
// the package file itself. The counterpart of the checks an application write makes.

#include <cstdint>
#include <string>
#include <vector>

namespace morlith {

// A package's decoded content.
struct TPackageBytes {
    std::vector<uint8_t> Header; // image length, image CRC, third word, header CRC; big-endian
    std::vector<uint8_t> KeyedImage; // each plain byte plus the key
    uint8_t Key = 0;
};

// The header and keyed image for `plainImage` (at most 65535 bytes) with `word3` as the third
// word of the parameter block.
TPackageBytes BuildPackageBytes(const std::vector<uint8_t> &plainImage, uint16_t word3);

// Writes a package file with `header` and `keyedImage` cut into pieces of `pieceBytes` bytes (one
// piece when 0). False with the reason in `why` when the file cannot be written; a previous file
// at `path` is then left as it was.
bool SavePackageFile(const std::string &path, const std::vector<uint8_t> &header,
                     const std::vector<uint8_t> &keyedImage, size_t pieceBytes, std::string *why);

} // namespace morlith
