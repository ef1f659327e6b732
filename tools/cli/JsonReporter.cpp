// SPDX-License-Identifier: MIT
#include "JsonReporter.h"

namespace morlith::cli {

void TJsonReporter::Started(const std::string &port, const std::string &command, const std::string &file)
{
    TJsonObject event("start");
    event.Text("port", port).Text("command", command);
    if (!file.empty())
        event.Text("file", file);
    FConsole.Out(event.Line());
}

void TJsonReporter::StepStarted(const std::string &port, size_t index, size_t count, const std::string &name)
{
    {
        std::lock_guard<std::mutex> lock(FLock);
        FShownPercent.erase(port);
    }
    FConsole.Out(TJsonObject("step")
                     .Text("port", port)
                     .Number("step", int64_t(index + 1))
                     .Number("steps", int64_t(count))
                     .Text("name", name)
                     .Line());
}

void TJsonReporter::Progressed(const std::string &port, const TProgressStep &step)
{
    {
        std::lock_guard<std::mutex> lock(FLock);
        const auto shown = FShownPercent.find(port);
        if (shown != FShownPercent.end() && shown->second == step.Percent)
            return;
        FShownPercent[port] = step.Percent;
    }
    FConsole.Out(TJsonObject("progress")
                     .Text("port", port)
                     .Number("percent", step.Percent)
                     .Number("bytes", int64_t(step.Sent))
                     .Number("total", int64_t(step.Total))
                     .Decimal("seconds", step.Seconds)
                     .Line());
}

void TJsonReporter::Finished(const TPortOutcome &outcome)
{
    TJsonObject event("result");
    event.Text("port", outcome.Port)
        .Flag("ok", outcome.Ok())
        .Number("status", outcome.Status)
        .Decimal("seconds", outcome.Seconds)
        .Number("bytes", int64_t(outcome.Bytes));
    if (outcome.Ok())
        event.Text("message", outcome.Message);
    else
        event.Text("reason", outcome.Reason()).Object("error", FailureObject(outcome.Failure));
    if (!outcome.ModuleState.empty())
        event.Text("module_state", outcome.ModuleState);
    if (outcome.Serial)
        event.Number("serial", int64_t(*outcome.Serial));
    FConsole.Out(event.Line());
    // The reason also goes to standard error, as without --json, for whoever reads the log.
    if (!outcome.Ok())
        FConsole.Error(WithPort(outcome.Port, outcome.Reason()));
}

void TJsonReporter::Summarise(const std::vector<TPortOutcome> &outcomes)
{
    int64_t succeeded = 0;
    for (const auto &outcome : outcomes)
        succeeded += outcome.Ok() ? 1 : 0;
    FConsole.Out(TJsonObject("summary")
                     .Number("ports", int64_t(outcomes.size()))
                     .Number("succeeded", succeeded)
                     .Number("failed", int64_t(outcomes.size()) - succeeded)
                     .Line());
}

} // namespace morlith::cli
