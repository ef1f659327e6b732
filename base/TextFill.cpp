// SPDX-License-Identifier: MIT
#include "TextFill.h"

namespace morlith {

std::string ReplaceAll(std::string text, const std::string &placeholder, const std::string &value)
{
    for (size_t at = text.find(placeholder); at != std::string::npos; at = text.find(placeholder, at + value.size()))
        text.replace(at, placeholder.size(), value);
    return text;
}

} // namespace morlith
