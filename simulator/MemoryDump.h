// SPDX-License-Identifier: MIT
#pragma once
// A text dump of every controller's memories, so that a test or an operator can see what the
// module holds. The format, line by line:
//
//   # morlith virtual module memory dump
//   controller <index>[ selected]
//   parameter-block <w0> <w1> <w2> <w3>        four 16-bit words in hex (4 digits)
//   program-memory <n> bytes
//   <offset>: <up to 16 bytes in hex>           offset in hex (6 digits), bytes "XX" apart
//   data-segment <n> bytes
//   <offset>: <up to 16 bytes in hex>
//
// and the same for each of the five controllers, separated by an empty line.

#include <string>

namespace morlith {

class TVirtualModule;

// The dump of every controller's memories as text.
std::string FormatMemoryDump(const TVirtualModule &module);

// Writes the dump to `path`, replacing the file. Throws std::system_error naming the file.
void WriteMemoryDump(const TVirtualModule &module, const std::string &path);

} // namespace morlith
