// SPDX-License-Identifier: MIT
#pragma once
// Clocks for the benchmarks: wall time and this process's CPU time, in milliseconds.

#include <chrono>

// CPU time of this process, user and system, in milliseconds (one implementation per platform).
double ProcessCpuMs();

inline double NowMs()
{
    return std::chrono::duration<double, std::milli>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}
