#include "SessionReport.h"

namespace morlith::cli {

std::string WithPort(const std::string &port, const std::string &message)
{
    if (port.empty() || message.compare(0, port.size(), port) == 0)
        return message;
    return port + ": " + message;
}

} // namespace morlith::cli
