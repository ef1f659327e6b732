// SPDX-License-Identifier: MIT
#pragma once
// Whole-file reads and writes of data-segment files. Failures raise std::system_error carrying
// errno, with the file name in the message.

#include "Failure.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace morlith {

// The whole content of the file at `path`.
std::vector<uint8_t> ReadWholeFile(const std::string &path);

// Reads the regular file `path` (`what` names it in messages: "package", "data file") whole into
// `data`, refusing one of more than `maxBytes`. No failure; or kind "file" when it cannot be opened
// or read or is no regular file (the system's error number kept), "refused_input" when too large.
TFailure ReadInputFile(const std::string &path, uint64_t maxBytes, const std::string &what, std::vector<uint8_t> &data);

// What WriteFileAtomically does when a file is already at its path.
enum class TExistingFile { efReplace, efKeep };

// Replaces the file at `path` by `size` bytes as a whole: they go to a temporary file in the same
// folder, which is synced and then renamed over `path`. On failure the temporary file is removed
// and any previous file at `path` is left untouched. With efKeep a file at `path`, even one made
// while the bytes were written, is kept and the write fails with EEXIST.
void WriteFileAtomically(const std::string &path, const uint8_t *data, size_t size,
                         TExistingFile existing = TExistingFile::efReplace);

} // namespace morlith
