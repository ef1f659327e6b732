// SPDX-License-Identifier: MIT
#include "CounterShare.h"

namespace morlith {

bool CheckCounterShare(const std::string &path, const std::string &fileSystem, bool checked, TFailure &failure)
{
    if (fileSystem.empty() || checked)
        return true;
    failure = MakeFailure(TFailureKind::fkRefusedInput,
                          "the serial counter " + path + " is on " + fileSystem +
                              ", where a lock may hold on one machine only (an SMB mount without byte-range locks "
                              "on the server, NFS with local_lock), so two stations could take one number; once the "
                              "site has checked that locks reach every station, say so with --shared-counter or "
                              "shared-counter = true");
    failure.Path = path;
    failure.During("checking the serial counter's share");
    return false;
}

} // namespace morlith
