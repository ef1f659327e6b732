// SPDX-License-Identifier: MIT
#include "StandardDescriptors.h"

namespace morlith {

// Windows never hands a closed standard handle's number to a file opened later: nothing to do.
unsigned EnsureStandardDescriptors() { return 0; }

} // namespace morlith
