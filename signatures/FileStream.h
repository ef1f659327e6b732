// SPDX-License-Identifier: MIT
#pragma once
// Reading the files a signature check needs without holding more than it must: a key or a
// signature file read whole only while it stays small, a signed file fed through a hash in pieces.

#include "Failure.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace morlith {

// Feeds the regular file `path` (`what` names it in messages: "signature", "public key") to
// `consume` in pieces, stopping with refused_input once more than `maxBytes` came. A file that
// cannot be opened or read fails with the system's kind (not_found, permission, file) and errno;
// anything but a regular file (a folder, a pipe, a device) is refused_input.
TFailure StreamFile(const std::string &path, const std::string &what, uint64_t maxBytes,
                    const std::function<void(const uint8_t *, size_t)> &consume);

// Reads the regular file `path` whole into `content`, refusing it as StreamFile does once it holds
// more than `maxBytes`.
TFailure ReadSmallFile(const std::string &path, const std::string &what, uint64_t maxBytes, std::string &content);

} // namespace morlith
