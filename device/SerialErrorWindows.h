// SPDX-License-Identifier: MIT
#pragma once
// What a Win32 error of a serial port means, in the failure kinds both platforms report, and the
// time limit a write gets.

#include "Failure.h"
#include "SerialPort.h"

#include <cstdint>

namespace morlith {

// ERROR_NO_SUCH_DEVICE, which MinGW's headers lack: a driver reports it for a device that was
// removed.
inline constexpr uint32_t kErrorNoSuchDevice = 433;

// The kind of a Win32 error `code` from a serial port: while `opening` it, ERROR_FILE_NOT_FOUND is
// not_found and ERROR_ACCESS_DENIED is busy (another program holds the port); once open, errors
// that mean the device went away (an unplugged adapter) are hangup.
TFailureKind KindOfSerialError(uint32_t code, bool opening);

// A write's time limit: `MsPerByte` for every byte asked for plus `ConstantMs`.
struct TWriteLimit {
    uint32_t MsPerByte = 0;
    uint32_t ConstantMs = 0;
};

// The write time limit under `settings`: without flow control about ten bit times a byte at the
// bit rate and half a second more; with flow control a short one, as the far end may hold the
// output for as long as it likes and the driver above times the sending.
TWriteLimit WriteLimitFor(const LineSettings &settings);

} // namespace morlith
