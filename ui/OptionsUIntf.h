// SPDX-License-Identifier: MIT
#pragma once
// IOptionsUInterface: what the Options page's presenter asks of the page.

#include "RefCounted.h"

#include <cstdint>

namespace morlith {

class IOptionsUInterface : public virtual IInterface {
public:
    // Selects entry `Index` of the port list (none when out of range); fires no change.
    virtual void SetPortIndex(int32_t Index) = 0;
    // Ticks or clears the box of the application write's skip; fires no change.
    virtual void SetSkipIfCurrent(bool Skip) = 0;

protected:
    ~IOptionsUInterface() override = default;
};

} // namespace morlith
