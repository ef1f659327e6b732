// SPDX-License-Identifier: MIT
#pragma once
// Reading back what a write left on the module: the data segment compared byte for byte with
// what was written, or, after an application write, the parameter block compared with the
// package's header (the module cannot read its program memory back).

#include "Failure.h"
#include "OperationInput.h"

#include <cstdint>
#include <vector>

namespace morlith {

class TComPortProgrammator;

// Reads back on the selected controller and compares with what `Input` wrote by `Kind`. No failure
// when they agree; a failure of the read (its step inside "verification") or kind "bad_reply" for
// a difference.
TFailure VerifyWrite(TComPortProgrammator &Programmator, TOperationKind Kind, const TOperationInput &Input);

// "" when the module's data segment (`readBack`) holds `written` from its start; otherwise where
// they first differ.
std::string DescribeDifference(const std::vector<uint8_t> &written, const std::vector<uint8_t> &readBack);

} // namespace morlith
