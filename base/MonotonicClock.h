// SPDX-License-Identifier: MIT
#pragma once
// Millisecond tick count from the monotonic clock, for every time limit of the engine.

#include <cstdint>

namespace morlith {

// Milliseconds since an arbitrary fixed point; differences are taken modulo 2^32.
uint32_t TickCountMs();

// Milliseconds elapsed since `start` (modulo 2^32).
inline uint32_t MsSince(uint32_t start) { return TickCountMs() - start; }

} // namespace morlith
