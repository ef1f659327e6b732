#pragma once
// Standard input, output and error as descriptors 0, 1 and 2, even when the caller closed them.

namespace morlith {

// Opens /dev/null on each of descriptors 0, 1 and 2 that is not open, so that no file, port or
// pipe opened later can take one of those numbers and receive text meant for the terminal.
// Call it first thing in main, before anything is opened. False if /dev/null cannot be opened.
bool OpenMissingStandardDescriptors();

} // namespace morlith
