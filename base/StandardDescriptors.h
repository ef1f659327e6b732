// SPDX-License-Identifier: MIT
#pragma once
// A program started with standard input, output or error closed would hand those numbers to the
// next files it opens, and its messages would then go into a serial line or a data file. Each
// program calls this first thing, before it opens anything.

namespace morlith {

// Which standard descriptors were found closed, as bits.
enum TStandardDescriptor : unsigned { sdInput = 1, sdOutput = 2, sdError = 4 };

// Opens /dev/null on each of descriptors 0, 1 and 2 that is not open; returns the ones it opened
// (a set of TStandardDescriptor bits), so that a program can tell its output goes nowhere.
unsigned EnsureStandardDescriptors();

} // namespace morlith
