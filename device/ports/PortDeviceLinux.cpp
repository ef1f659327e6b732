// SPDX-License-Identifier: MIT
// Port devices on Linux: device nodes, links to them and the port map's entries.

#include "PortDevice.h"

#include "PortAddress.h"

#include <sys/stat.h>

namespace morlith {

bool SameDevice(const std::string &first, const std::string &second)
{
    // Two lines behind device servers are the same when their addresses are.
    if (IsPortAddress(first) || IsPortAddress(second))
        return first == second;
    // The file system's own comparison refuses device nodes; their identities compare here.
    struct stat a {};
    struct stat b {};
    return ::stat(first.c_str(), &a) == 0 && ::stat(second.c_str(), &b) == 0 && a.st_dev == b.st_dev &&
           a.st_ino == b.st_ino;
}

} // namespace morlith
