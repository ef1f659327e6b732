#include "Rejection.h"

#include "JsonLines.h"

namespace morlith::cli {

int Reject(TConsole &console, bool json, int status, const std::string &message)
{
    console.Error(message);
    if (json)
        console.Out(TJsonObject("result").Flag("ok", false).Number("status", status).Text("reason", message).Line());
    return status;
}

} // namespace morlith::cli
