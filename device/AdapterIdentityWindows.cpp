// What stands behind a port on Windows: the device's name ("\\.\COM3"), and nothing more that
// can be learnt without opening it.

#include "AdapterIdentity.h"

namespace morlith {

TAdapterIdentity IdentifyAdapter(const std::string &path, const std::string &, const std::string &)
{
    TAdapterIdentity identity;
    identity.Device = path;
    return identity;
}

} // namespace morlith
