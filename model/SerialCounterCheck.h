// SPDX-License-Identifier: MIT
#pragma once
// Whether a serial-number counter file is ready for a recipe, without taking a number from it.

#include <cstdint>
#include <string>

namespace morlith {

// "" when `Path` holds the next serial number as decimal text and that number fits in `Width`
// bytes; otherwise the problem in words. A missing counter is a problem: the first number is the
// engineer's choice.
std::string CheckSerialCounter(const std::string &Path, uint32_t Width);

} // namespace morlith
