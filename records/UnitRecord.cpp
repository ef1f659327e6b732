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

TJson StepObject(const TUnitStep &step)
{
    TJson object = {{"command", OperationCommand(step.Kind)}, {"controller", step.Controller}};
    SetPathField(object, "file", step.File);
    if (!step.Sha256.empty())
        object["sha256"] = step.Sha256;
    if (!step.SignerKeyId.empty())
        object["signature"] = SignatureObject(step.SignerKeyId, step.TrustedComment);
    object["result"] = StepResult(step);
    if (step.AlreadyCurrent)
        object["skipped"] = "already current";
    if (step.Failure.Failed())
        object["error"] = FailureObject(step.Failure);
    if (!step.Skipped)
        object["duration_ms"] = int64_t(step.DurationMs);
    if (!step.ModuleState.empty())
        object["module_state"] = step.ModuleState;
    return object;
}

} // namespace

std::string UnitRecordLine(const TUnitRecord &Record)
{
    TJson line = {{"schema", kUnitRecordSchema}};
    AddOriginFields(line, Record.Time, Record.Tool);
    line["unit"] = Record.UnitId;
    if (Record.Serial)
        line["serial"] = *Record.Serial;
    if (Record.SerialKept)
        line["serial_kept"] = true;
    AddStationFields(line, Record.Station, Record.Operator, Record.Lot);
    TJson &recipe = line["recipe"] = TJson::object();
    SetPathField(recipe, "path", Record.Recipe);
    recipe["sha256"] = Record.RecipeSha256;
    line["port"] = Record.Port;
    const TAdapterIdentity identity = IdentifyAdapter(Record.Device.empty() ? ResolvePortName(Record.Port) : Record.Device);
    line["device"] = identity.Device;
    if (!identity.ById.empty())
        line["by_id"] = identity.ById;
    if (!identity.SerialNumber.empty())
        line["serial_number"] = identity.SerialNumber;
    TJson &steps = line["steps"] = TJson::array();
    for (const TUnitStep &step : Record.Steps)
        steps.push_back(StepObject(step));
    line["result"] = Record.Failure.Failed() ? "failed" : "ok";
    if (Record.FailedStep)
        line["failed_step"] = int64_t(*Record.FailedStep + 1);
    if (Record.Failure.Failed())
        line["error"] = FailureObject(Record.Failure);
    line["duration_ms"] = int64_t(Record.DurationMs);
    return JsonLine(line);
}

} // namespace morlith
