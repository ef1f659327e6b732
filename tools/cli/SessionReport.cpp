// SPDX-License-Identifier: MIT
#include "SessionReport.h"

namespace morlith::cli {

std::string WithPort(const std::string &port, const std::string &message)
{
    if (port.empty() || message.find(port) != std::string::npos)
        return message;
    return port + ": " + message;
}

} // namespace morlith::cli
