// SPDX-License-Identifier: MIT
#include "OperationKind.h"

namespace morlith {

const char *OperationCommand(TOperationKind Kind)
{
    switch (Kind) {
    case TOperationKind::okWriteApplication:
        return "write-app";
    case TOperationKind::okReadDataSegment:
        return "read-dseg";
    case TOperationKind::okWriteDataSegment:
        return "write-dseg";
    case TOperationKind::okStatus:
        return "status";
    default:
        return "connect";
    }
}

} // namespace morlith
