// SPDX-License-Identifier: MIT
#include "JsonReporter.h"

namespace morlith::cli {

void TJsonReporter::Started(const std::string &port, const std::string &command, const std::string &file)
{
    TJson event = JsonEvent("start");
    event["port"] = port;
    event["command"] = command;
    if (!file.empty())
        event["file"] = file;
    FConsole.Out(JsonLine(event));
}

void TJsonReporter::StepStarted(const std::string &port, size_t index, size_t count, const std::string &name)
{
    {
        std::lock_guard<std::mutex> lock(FLock);
        FShownPercent.erase(port);
    }
    FConsole.Out(JsonLine(JsonEvent(
        "step", {{"port", port}, {"step", int64_t(index + 1)}, {"steps", int64_t(count)}, {"name", name}})));
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
    TJson event = JsonEvent("progress");
    event["port"] = port;
    event["percent"] = step.Percent;
    event["bytes"] = int64_t(step.Sent);
    event["total"] = int64_t(step.Total);
    event["seconds"] = double(step.Seconds);
    FConsole.Out(JsonLine(event));
}

void TJsonReporter::StatusRead(const std::string &port, const std::vector<TControllerHolding> &holdings)
{
    TJson controllers = TJson::array();
    for (const TControllerHolding &holding : holdings)
        controllers.push_back(HoldingObject(holding));
    FConsole.Out(JsonLine(JsonEvent("status", {{"port", port}, {"controllers", controllers}})));
}

void TJsonReporter::Finished(const TPortOutcome &outcome)
{
    TJson event = JsonEvent("result");
    event["port"] = outcome.Port;
    event["ok"] = outcome.Ok();
    event["status"] = outcome.Status;
    event["seconds"] = double(outcome.Seconds);
    event["bytes"] = int64_t(outcome.Bytes);
    if (outcome.Ok()) {
        event["message"] = outcome.Message;
    } else {
        event["reason"] = outcome.Reason();
        event["error"] = FailureObject(outcome.Failure);
    }
    if (!outcome.ModuleState.empty())
        event["module_state"] = outcome.ModuleState;
    if (outcome.AlreadyCurrent)
        event["already_current"] = true;
    if (outcome.Serial)
        event["serial"] = int64_t(*outcome.Serial);
    FConsole.Out(JsonLine(event));
    // The reason also goes to standard error, as without --json, for whoever reads the log.
    if (!outcome.Ok())
        FConsole.Error(WithPort(outcome.Port, outcome.Reason()));
}

void TJsonReporter::Summarise(const std::vector<TPortOutcome> &outcomes)
{
    int64_t succeeded = 0;
    for (const auto &outcome : outcomes)
        succeeded += outcome.Ok() ? 1 : 0;
    TJson event = JsonEvent("summary");
    event["ports"] = int64_t(outcomes.size());
    event["succeeded"] = succeeded;
    event["failed"] = int64_t(outcomes.size()) - succeeded;
    FConsole.Out(JsonLine(event));
}

} // namespace morlith::cli
