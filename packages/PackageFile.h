// SPDX-License-Identifier: MIT
#pragma once
// The files the package commands make: where a file made from another may go, and a built package
// written then read back as a write would read it.

#include "AtomicFile.h"
#include "PackageBuilder.h"

#include <cstddef>
#include <string>

namespace morlith {

// "" when a file made from the file `in` (a package, a plain image) may be written at `out` (a file
// there is replaced only with `replace`, and never `in` itself); otherwise the problem, naming
// `option`, where `out` was given ("--out").
std::string CheckOutputFrom(const std::string &in, const std::string &out, const std::string &option,
                               bool replace);

// Writes `package` at `path` in pieces of up to `pieceBytes` (one piece when 0), then reads it back
// and checks it as a write would. "" with the pieces read back in `pieces`, or the problem, naming
// the file as `label`.
std::string SaveCheckedPackage(const TPackageBytes &package, const std::string &path, const std::string &label,
                               size_t pieceBytes, TExistingFile existing, size_t &pieces);

} // namespace morlith
