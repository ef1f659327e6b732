// SPDX-License-Identifier: MIT
#pragma once
// Setting and removing an environment variable of the test process (one file per platform).

#include <string>

namespace morlith::test {

void SetEnvironmentVariable(const std::string &name, const std::string &value);
void UnsetEnvironmentVariable(const std::string &name);

} // namespace morlith::test
