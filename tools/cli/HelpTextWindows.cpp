// SPDX-License-Identifier: MIT
#include "HelpText.h"

namespace morlith::cli {

std::string HelpText() { return HelpTextFor(THelpPlatform::Windows); }

} // namespace morlith::cli
