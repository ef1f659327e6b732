// SPDX-License-Identifier: MIT
#pragma once
// Where Morlith keeps a user's own files: on Linux the XDG base directories, on Windows the
// user's local application data (%LOCALAPPDATA%\Morlith), which stays on the machine and needs no
// administrator. Paths are UTF-8.

#include <string>

namespace morlith {

// The file `name` among the user's settings: $XDG_CONFIG_HOME/morlith/`name` (by default
// ~/.config/morlith), or %LOCALAPPDATA%\Morlith\`name`.
std::string UserSettingsFile(const std::string &name);

// The file `name` among the records Morlith keeps for the user (the operations log):
// $XDG_STATE_HOME/morlith/`name` (by default ~/.local/state/morlith), or
// %LOCALAPPDATA%\Morlith\`name`.
std::string UserStateFile(const std::string &name);

} // namespace morlith
