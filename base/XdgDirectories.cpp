// SPDX-License-Identifier: MIT
#include "XdgDirectories.h"

#include <cstdlib>

namespace morlith {

std::string XdgDirectory(const char *variable, const char *fallback)
{
    const char *value = std::getenv(variable);
    if (value && *value == '/')
        return value;
    const char *home = std::getenv("HOME");
    return std::string(home && *home ? home : "/") + "/" + fallback;
}

} // namespace morlith
