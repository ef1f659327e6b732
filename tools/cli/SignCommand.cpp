// SPDX-License-Identifier: MIT
#include "SignCommand.h"

#include "JsonLines.h"
#include "Rejection.h"
#include "SessionReport.h"
#include "Signer.h"

#include <cstdio>

namespace morlith::cli {
namespace {

// The first line of standard input, without its line end.
std::string PasswordLine()
{
    std::string line;
    int c;
    while ((c = std::fgetc(stdin)) != EOF && c != '\n')
        line += char(c);
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return line;
}

} // namespace

int RunSign(const TCliOptions &options, TConsole &console)
{
    const std::string &path = options.Arguments.front();
    const TSignOutcome outcome = SignWithKeyFile(options.SecretKey, path, PasswordLine);
    if (outcome.Failure.Failed()) {
        // A key or a file that is not usable is bad input; one that cannot be read or written is the system's.
        const int status = outcome.Failure.Kind == TFailureKind::fkRefusedInput ? kExitBadInput : kExitFailed;
        return Reject(console, options.Json, status, outcome.Failure.Message(), outcome.Failure.Kind);
    }
    if (options.Json)
        console.Out(JsonLine(JsonEvent("result", {{"ok", true},
                                                  {"status", kExitSuccess},
                                                  {"signature", outcome.SignaturePath},
                                                  {"key_id", outcome.KeyId},
                                                  {"trusted_comment", outcome.TrustedComment}})));
    else if (!options.Quiet)
        console.Out(outcome.SignaturePath + ": signed by key " + outcome.KeyId);
    return kExitSuccess;
}

} // namespace morlith::cli
