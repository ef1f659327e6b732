// SPDX-License-Identifier: MIT
#include "FailureJson.h"

#include "CommandFrame.h"

namespace morlith {

TJsonObject FailureObject(const TFailure &failure)
{
    TJsonObject error;
    error.Text("kind", failure.KindName()).Text("step", failure.Step).Text("message", failure.Message());
    if (failure.Command >= 0) {
        error.Text("command", CommandName(uint8_t(failure.Command)))
            .Number("bytes_expected", failure.BytesExpected)
            .Number("bytes_received", failure.BytesReceived);
    }
    if (failure.OsError != 0)
        error.Number("os_error", failure.OsError).Text("os_text", failure.OsText);
    if (!failure.Device.empty())
        error.Text("device", failure.Device);
    if (!failure.Path.empty())
        error.Text("path", failure.Path);
    return error;
}

} // namespace morlith
