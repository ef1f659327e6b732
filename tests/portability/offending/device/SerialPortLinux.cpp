// SPDX-License-Identifier: MIT
// A platform file may include what it needs.
#include <termios.h>
