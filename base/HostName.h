// SPDX-License-Identifier: MIT
#pragma once
// The name of this computer, for records that say where an operation ran.

#include <string>

namespace morlith {

// The host name; "" when the system does not tell.
std::string HostName();

} // namespace morlith
