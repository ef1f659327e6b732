// SPDX-License-Identifier: MIT
#include "HelpText.h"

namespace morlith::cli {

THelpPlatform NativeHelpPlatform() { return THelpPlatform::Windows; }

} // namespace morlith::cli
