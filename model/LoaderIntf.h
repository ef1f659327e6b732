// SPDX-License-Identifier: MIT
#pragma once
// ILoaderInterface: the one interface through which the pages reach the programmator's
// connection and the progress of an application write. Writes and reads run as operations
// (OperationsIntf.h), with the checks a write needs before its first frame.

#include "Failure.h"
#include "RefCounted.h"

#include <cstdint>

namespace morlith {

class ILoaderInterface : public virtual IInterface {
public:
    // Opens port "COM<PortNumber>" and connects to the main controller.
    virtual bool Connect(int32_t PortNumber) = 0;
    // Connects and selects controller MCUIndex (1..4 for the slaves).
    virtual bool SelectMCU(int32_t PortNumber, uint8_t MCUIndex) = 0;
    // Leaves the bootloader and closes the port.
    virtual bool Disconnect() = 0;
    // True while connected.
    virtual bool GetConnected() = 0;
    // Looks at the line between operations: a port that went away (an adapter unplugged) is
    // closed. True while still connected.
    virtual bool CheckConnection() = 0;
    // Percent of the application write in progress or last done; 0 without a programmator.
    virtual int32_t GetProgress() = 0;
    // Why the last operation failed (kind, step, cause); no failure when it did not.
    virtual TFailure GetLastFailure() = 0;

protected:
    ~ILoaderInterface() override = default;
};

} // namespace morlith
