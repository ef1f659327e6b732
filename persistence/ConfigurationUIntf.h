// SPDX-License-Identifier: MIT
#pragma once
// IConfigurationInterface: how the pages reach the operator's lasting setting, the serial port.

#include "RefCounted.h"

#include <cstdint>
#include <string>

namespace morlith {

// The configuration as the model and the pages see it.
class IConfigurationInterface : public virtual IInterface {
public:
    // Position of the chosen port in the list "COM1" .. "COM255" (0 is COM1).
    virtual std::int32_t GetPort() = 0;
    // Stores the port position in memory; nothing is written to the file.
    virtual void SetPort(std::int32_t Value) = 0;
    // Whether an application write skips a controller that already holds the package; the
    // setter changes memory only, as SetPort does.
    virtual bool GetSkipIfCurrent() = 0;
    virtual void SetSkipIfCurrent(bool Value) = 0;
    // Writes the configuration file; false when it could not (the previous file is kept, and
    // GetLastFailure says why). Never throws.
    virtual bool Save() = 0;
    // Reads the configuration file; always true (a failed load keeps the port as it was).
    virtual bool Load() = 0;
    // Why the last Save or Load failed, naming the file; empty after a success.
    virtual std::string GetLastFailure() = 0;
    // Full path of the configuration file.
    virtual std::string GetFilePath() = 0;

protected:
    ~IConfigurationInterface() override = default;
};

} // namespace morlith
