// SPDX-License-Identifier: MIT
#pragma once
// Arbitrary bit rates through the kernel's termios2 interface. Kept apart because the kernel's
// header clashes with glibc's <termios.h>.

#include <cstdint>

namespace morlith {

// Sets input and output rate of the terminal `fd` to `rate` bit/s; false when the kernel refuses.
bool SetCustomBaudRate(int fd, uint32_t rate);

} // namespace morlith
