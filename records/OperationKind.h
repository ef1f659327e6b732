// SPDX-License-Identifier: MIT
#pragma once
// The device operations, as both front ends run them and the records name them.

namespace morlith {

// okStatus reads what every controller holds and writes nothing.
enum class TOperationKind { okConnect, okWriteApplication, okReadDataSegment, okWriteDataSegment, okStatus };

// The command's name in the log and the JSON events: "connect", "write-app", "read-dseg", "write-dseg", "status".
const char *OperationCommand(TOperationKind Kind);

} // namespace morlith
