// SPDX-License-Identifier: MIT
#pragma once
// Filling placeholders such as "{port}" or "{serial}" into names.

#include <string>

namespace morlith {

// `text` with every `placeholder` replaced by `value` (a value holding the placeholder is left as
// it is).
std::string ReplaceAll(std::string text, const std::string &placeholder, const std::string &value);

} // namespace morlith
