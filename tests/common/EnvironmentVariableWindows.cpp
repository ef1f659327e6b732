// SPDX-License-Identifier: MIT
#include "EnvironmentVariable.h"

#include <cstdlib>

namespace morlith::test {

void SetEnvironmentVariable(const std::string &name, const std::string &value) { _putenv_s(name.c_str(), value.c_str()); }

// An empty value removes the variable.
void UnsetEnvironmentVariable(const std::string &name) { _putenv_s(name.c_str(), ""); }

} // namespace morlith::test
