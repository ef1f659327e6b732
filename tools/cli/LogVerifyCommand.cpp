// SPDX-License-Identifier: MIT
#include "LogVerifyCommand.h"

#include "JsonLines.h"
#include "LogChain.h"
#include "Rejection.h"
#include "SessionReport.h"

namespace morlith::cli {

int RunLogVerify(const TCliOptions &options, TConsole &console)
{
    if (options.Arguments.empty())
        return Reject(console, options.Json, kExitBadInput, "log --verify needs the FILE of a production log");
    const std::string &path = options.Arguments.front();
    TChainCheck check;
    const TFailure failure = VerifyLogChain(path, check);
    if (failure.Failed())
        return Reject(console, options.Json, kExitBadInput, failure.Message(), failure.Kind);
    const std::string counts = std::to_string(check.Lines) + " lines, " + std::to_string(check.Chained) + " chained";
    if (check.BrokenLine != 0) {
        // The log's name is the user's own; the reason is this tool's text.
        const std::string message = path + ":" + std::to_string(check.BrokenLine) + ": the chain breaks: " + check.Problem;
        if (options.Json)
            console.Out(JsonLine(JsonEvent("result", {{"ok", false},
                                                      {"status", kExitFailed},
                                                      {"line", int64_t(check.BrokenLine)},
                                                      {"reason", check.Problem},
                                                      {"lines", int64_t(check.Lines)}})));
        console.Error(message);
        return kExitFailed;
    }
    if (options.Json)
        console.Out(JsonLine(JsonEvent("result", {{"ok", true},
                                                  {"status", kExitSuccess},
                                                  {"lines", int64_t(check.Lines)},
                                                  {"chained", int64_t(check.Chained)}})));
    else if (!options.Quiet)
        console.Out(path + ": the chain holds: " + counts);
    return kExitSuccess;
}

} // namespace morlith::cli
