// SPDX-License-Identifier: MIT
#pragma once
// Whole-file reads of data-segment files and packages. ReadWholeFile raises std::system_error
// carrying errno, with the file name in the message; ReadInputFile returns the failure.

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

} // namespace morlith
