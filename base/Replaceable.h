// SPDX-License-Identifier: MIT
#pragma once
// A process-wide service that tests may replace (the dialogs, the pace clock): the default serves
// until a replacement is installed, and installing null brings the default back.

#include <utility>

namespace morlith {

// TDefault implements TInterface and is created on first use.
template <class TInterface, class TDefault>
class TReplaceable {
public:
    // The installed replacement, else the default.
    static TInterface &Current()
    {
        static TDefault fallback;
        return FInstalled ? *FInstalled : fallback;
    }
    // Installs `Replacement` (not owned; null restores the default); returns the one before.
    static TInterface *Install(TInterface *Replacement)
    {
        return std::exchange(FInstalled, Replacement);
    }

private:
    static inline TInterface *FInstalled = nullptr;
};

} // namespace morlith
