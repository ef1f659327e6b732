// SPDX-License-Identifier: MIT
#pragma once
// The device operations, as both front ends run them and the records name them.

namespace morlith {

enum class TOperationKind { okConnect, okWriteApplication, okReadDataSegment, okWriteDataSegment };

// The command's name in the log and the JSON events: "connect", "write-app", "read-dseg", "write-dseg".
const char *OperationCommand(TOperationKind Kind);

} // namespace morlith
