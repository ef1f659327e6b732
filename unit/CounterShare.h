// SPDX-License-Identifier: MIT
#pragma once
// A counter file on a network file system: its lock keeps two stations apart only when the share
// passes locks between machines (NFS without local_lock, SMB with byte-range locks the server
// honours), which a site checks once. Until it says so, such a counter is refused.

#include "Failure.h"

#include <string>

namespace morlith {

// The network file system that `path` (or, when it is not there, its folder) lives on, in words
// ("NFS", "CIFS/SMB", "a network drive"); empty for a local one or when it cannot be told.
std::string NetworkFileSystemOf(const std::string &path);

// The name of the file system whose statfs type is `type` when it is a network one; else empty.
std::string NetworkFileSystemNamed(unsigned long type);

// False with `failure` (refused_input, the reason in words) when the counter at `path` lives on
// `fileSystem` (NetworkFileSystemOf) and the site has not said it checked its locking.
bool CheckCounterShare(const std::string &path, const std::string &fileSystem, bool checked, TFailure &failure);

} // namespace morlith
