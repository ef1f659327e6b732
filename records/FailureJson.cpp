// SPDX-License-Identifier: MIT
#include "FailureJson.h"

#include "CommandFrame.h"

namespace morlith {

TJson FailureObject(const TFailure &failure)
{
    TJson error = {{"kind", failure.KindName()}, {"step", failure.Step}, {"message", failure.Message()}};
    if (!failure.Reason.empty())
        error["reason"] = failure.Reason;
    if (failure.Command >= 0) {
        error["command"] = CommandName(uint8_t(failure.Command));
        error["bytes_expected"] = failure.BytesExpected;
        error["bytes_received"] = failure.BytesReceived;
    }
    if (failure.OsError != 0) {
        error["os_error"] = failure.OsError;
        error["os_text"] = failure.OsText;
    }
    if (!failure.Device.empty())
        error["device"] = failure.Device;
    if (!failure.Path.empty())
        SetPathField(error, "path", failure.Path);
    return error;
}

} // namespace morlith
