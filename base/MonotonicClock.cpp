// SPDX-License-Identifier: MIT
#include "MonotonicClock.h"

#include <chrono>

namespace morlith {

uint32_t TickCountMs()
{
    const auto sinceStart = std::chrono::steady_clock::now().time_since_epoch();
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(sinceStart).count();
    return static_cast<uint32_t>(ms);
}

} // namespace morlith
