// SPDX-License-Identifier: MIT
#include "Rejection.h"

#include "JsonReporter.h"

namespace morlith::cli {

int Reject(TConsole &console, bool json, int status, const std::string &message, TFailureKind kind)
{
    console.Error(message);
    if (json)
        console.Out(TJsonObject("result")
                        .Flag("ok", false)
                        .Number("status", status)
                        .Text("reason", message)
                        .Object("error", FailureObject(MakeFailure(kind, message)))
                        .Line());
    return status;
}

} // namespace morlith::cli
