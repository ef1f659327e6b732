// SPDX-License-Identifier: MIT
#include "EnvironmentVariable.h"

#include <cstdlib>

namespace morlith::test {

void SetEnvironmentVariable(const std::string &name, const std::string &value) { ::setenv(name.c_str(), value.c_str(), 1); }

void UnsetEnvironmentVariable(const std::string &name) { ::unsetenv(name.c_str()); }

} // namespace morlith::test
