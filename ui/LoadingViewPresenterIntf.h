// SPDX-License-Identifier: MIT
#pragma once
// ILoadingViewPresenterInterface: every action of the Loading page, forwarded by the form.

#include "RefCounted.h"

#include <cstdint>

namespace morlith {

class ILoadingViewPresenterInterface : public virtual IInterface {
public:
    // Remembers the controller picked in the list (0 main, 1..4 slaves).
    virtual void SetMCUIndex(int32_t Index) = 0;
    // Waits 1.5 s, then connects to the chosen controller on the configured port.
    virtual void Connect() = 0;
    // Leaves the bootloader and closes the port.
    virtual void Disconnect() = 0;
    // Lets the operator choose a firmware package.
    virtual void OpenAppFile() = 0;
    // Writes the application of the chosen package, showing its progress.
    virtual void WriteApp() = 0;
    // Lets the operator choose a data file (an existing one or a new name).
    virtual void OpenDataFile() = 0;
    // Reads the data segment into the data file, asking before replacing it.
    virtual void ReadData() = 0;
    // Writes the data file into the data segment.
    virtual void WriteData() = 0;

protected:
    ~ILoadingViewPresenterInterface() override = default;
};

} // namespace morlith
