// SPDX-License-Identifier: MIT
#include "UnitRecord.h"

#include "AdapterIdentity.h"
#include "FailureJson.h"
#include "JsonLines.h"
#include "OperationRecord.h"
#include "PortMap.h"

namespace morlith {
namespace {

const char *StepResult(const TUnitStep &step)
{
    if (step.Skipped)
        return "not_run";
    return step.Done ? "ok" : "failed";
}

TJsonObject StepObject(const TUnitStep &step)
{
    TJsonObject object;
    object.Text("command", OperationCommand(step.Kind)).Number("controller", step.Controller).Text("file", step.File);
    if (!step.Sha256.empty())
        object.Text("sha256", step.Sha256);
    object.Text("result", StepResult(step));
    if (step.Failure.Failed())
        object.Object("error", FailureObject(step.Failure));
    if (!step.Skipped)
        object.Number("duration_ms", int64_t(step.DurationMs));
    if (!step.ModuleState.empty())
        object.Text("module_state", step.ModuleState);
    return object;
}

} // namespace

std::string UnitRecordLine(const TUnitRecord &Record)
{
    TJsonObject line;
    line.Text("schema", kUnitRecordSchema);
    AddOriginFields(line, Record.Time, Record.Tool);
    line.Text("unit", Record.UnitId);
    if (Record.Serial)
        line.Number("serial", int64_t(*Record.Serial));
    AddStationFields(line, Record.Station, Record.Operator, Record.Lot);
    line.Object("recipe", TJsonObject().Text("path", Record.Recipe).Text("sha256", Record.RecipeSha256));
    line.Text("port", Record.Port);
    const TAdapterIdentity identity = IdentifyAdapter(Record.Device.empty() ? ResolvePortName(Record.Port) : Record.Device);
    line.Text("device", identity.Device);
    if (!identity.ById.empty())
        line.Text("by_id", identity.ById);
    if (!identity.SerialNumber.empty())
        line.Text("serial_number", identity.SerialNumber);
    std::vector<TJsonObject> steps;
    for (const TUnitStep &step : Record.Steps)
        steps.push_back(StepObject(step));
    line.ObjectList("steps", steps);
    line.Text("result", Record.Failure.Failed() ? "failed" : "ok");
    if (Record.FailedStep)
        line.Number("failed_step", int64_t(*Record.FailedStep + 1));
    if (Record.Failure.Failed())
        line.Object("error", FailureObject(Record.Failure));
    line.Number("duration_ms", int64_t(Record.DurationMs));
    return line.Line();
}

} // namespace morlith
