// SPDX-License-Identifier: MIT
#include "Rejection.h"

#include "JsonReporter.h"

namespace morlith::cli {

int Reject(TConsole &console, bool json, int status, const std::string &message, TFailureKind kind)
{
    return Reject(console, json, status, MakeFailure(kind, message));
}

int Reject(TConsole &console, bool json, int status, const TFailure &failure)
{
    const std::string message = failure.Message();
    console.Error(message);
    if (json) {
        TJson event = JsonEvent("result");
        event["ok"] = false;
        event["status"] = status;
        event["reason"] = message;
        event["error"] = FailureObject(failure);
        console.Out(JsonLine(event));
    }
    return status;
}

} // namespace morlith::cli
