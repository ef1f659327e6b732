// SPDX-License-Identifier: MIT
#include "UserPlaces.h"

#include "XdgDirectories.h"

namespace morlith {

std::string UserSettingsFile(const std::string &name)
{
    return XdgDirectory("XDG_CONFIG_HOME", ".config") + "/morlith/" + name;
}

std::string UserStateFile(const std::string &name)
{
    return XdgDirectory("XDG_STATE_HOME", ".local/state") + "/morlith/" + name;
}

} // namespace morlith
