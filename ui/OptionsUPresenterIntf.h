// SPDX-License-Identifier: MIT
#pragma once
// IOptionsUPresenterInterface: what the Options page forwards to its presenter.

#include "RefCounted.h"

#include <cstdint>

namespace morlith {

class IOptionsUPresenterInterface : public virtual IInterface {
public:
    // The operator picked port entry `Index`: the configuration takes it at once (not saved).
    virtual void PortChanged(int32_t Index) = 0;
    // The operator ticked or cleared the skip box: the configuration takes it at once (not saved).
    virtual void SkipIfCurrentChanged(bool Skip) = 0;
    // Writes the configuration file.
    virtual void Save() = 0;

protected:
    ~IOptionsUPresenterInterface() override = default;
};

} // namespace morlith
