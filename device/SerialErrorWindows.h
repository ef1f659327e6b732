#pragma once
// What a Win32 error of a serial port means, in the failure kinds both platforms report.

#include "Failure.h"

#include <cstdint>

namespace morlith {

// The kind of a Win32 error `code` from a serial port: while `opening` it, ERROR_FILE_NOT_FOUND is
// not_found and ERROR_ACCESS_DENIED is busy (another program holds the port); once open, errors
// that mean the device went away (an unplugged adapter) are hangup.
TFailureKind KindOfSerialError(uint32_t code, bool opening);

} // namespace morlith
