// SPDX-License-Identifier: MIT
#pragma once
// Whether two ports reach the same device, asked before anything is opened (one implementation
// per platform).

#include <string>

namespace morlith {

// True when the two device paths reach one device that is there.
bool SameDevice(const std::string &first, const std::string &second);

} // namespace morlith
