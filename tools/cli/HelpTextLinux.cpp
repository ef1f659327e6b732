// SPDX-License-Identifier: MIT
#include "HelpText.h"

namespace morlith::cli {

THelpPlatform NativeHelpPlatform() { return THelpPlatform::Linux; }

} // namespace morlith::cli
