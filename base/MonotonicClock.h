#pragma once
// Millisecond tick count from CLOCK_MONOTONIC, for every time limit of the engine.

#include <cstdint>

namespace morlith {

// Milliseconds since an arbitrary fixed point; differences are taken modulo 2^32.
uint32_t TickCountMs();

// Milliseconds elapsed since `start` (modulo 2^32).
inline uint32_t MsSince(uint32_t start) { return TickCountMs() - start; }

} // namespace morlith
