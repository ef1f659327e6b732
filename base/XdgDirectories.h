// SPDX-License-Identifier: MIT
#pragma once
// The XDG base directories: where per-user configuration and state live.

#include <string>

namespace morlith {

// The directory the environment variable `variable` names when it holds an absolute path (as the
// XDG rules ask), else $HOME/`fallback` ("/" standing in for a missing home).
std::string XdgDirectory(const char *variable, const char *fallback);

} // namespace morlith
