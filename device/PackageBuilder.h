// SPDX-License-Identifier: MIT
#pragma once
// Builds firmware packages from a plain image: the header a write checks, the keyed image, and
// the package file itself. The counterpart of the checks an application write makes.

#include "AtomicFile.h"
#include "DataFile.h"

#include <cstdint>
#include <string>
#include <vector>

namespace morlith {

// A package's decoded content.
struct TPackageBytes {
    std::vector<uint8_t> Header; // image length, image CRC, data-segment length, header CRC; big-endian
    std::vector<uint8_t> KeyedImage; // each plain byte plus the key
    uint8_t Key = 0;
};

// The header and keyed image for `plainImage` (at most 65535 bytes). `dsegLength`, the third word
// of the parameter block, is the data-segment length the module has after the write.
TPackageBytes BuildPackageBytes(const std::vector<uint8_t> &plainImage, uint16_t dsegLength);

// Writes a package file with `header` and `keyedImage` cut into pieces of `pieceBytes` bytes (one
// piece when 0), through a temporary file in the same folder renamed into place; no other file is
// touched. With efKeep a file already at `path` is kept and the save fails. False with the
// reason in `why` when the file cannot be written; a previous file at `path` is then left as it was.
bool SavePackageFile(const std::string &path, const std::vector<uint8_t> &header,
                     const std::vector<uint8_t> &keyedImage, size_t pieceBytes, std::string *why,
                     TExistingFile existing = TExistingFile::efReplace);

} // namespace morlith
