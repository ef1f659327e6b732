// SPDX-License-Identifier: MIT
#pragma once
// Clocks for the benchmarks: wall time and this process's CPU time, in milliseconds; and the
// median of a run's figures.

#include <algorithm>
#include <chrono>
#include <vector>

// CPU time of this process, user and system, in milliseconds (one implementation per platform).
double ProcessCpuMs();

inline double NowMs()
{
    return std::chrono::duration<double, std::milli>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// The median of `values`; 0 when there are none.
inline double Median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}
