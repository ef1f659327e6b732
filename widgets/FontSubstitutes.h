// SPDX-License-Identifier: MIT
#pragma once
// Stand-ins for the fonts the forms name (Consolas, Tahoma) where those are not installed.

namespace morlith {

// Maps "Consolas" to an installed monospace face and "Tahoma" to an installed sans-serif face;
// sizes given in pixels stay the same. Call once after the application object is created.
void InstallFontSubstitutes();

} // namespace morlith
