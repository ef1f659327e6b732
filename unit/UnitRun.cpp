// SPDX-License-Identifier: MIT
#include "UnitRun.h"


#include <cstdio>
#include <mutex>
#include <random>

namespace morlith {
namespace {

TUnitFields FieldsOfNewUnit(std::string portField)
{
    TUnitFields fields;
    fields.Time = UnitTimeText(std::chrono::system_clock::now());
    fields.UnitId = NewUnitId(fields.Time);
    fields.Port = std::move(portField);
    return fields;
}

} // namespace

std::string NewUnitId(const std::string &time)
{
    static std::mutex lock;
    static std::mt19937_64 random{std::random_device{}()};
    std::lock_guard<std::mutex> guard(lock);
    const uint32_t part = uint32_t(random() & 0xFFFFFF);
    char text[8];
    std::snprintf(text, sizeof text, "%06x", unsigned(part));
    return time + "-" + text;
}

TUnitRun::TUnitRun(TComPortProgrammator &programmator, const TRecipeRun &run, std::string portLabel,
                   std::string portField)
    : FRun(run),
      FPortLabel(std::move(portLabel)),
      FFields(FieldsOfNewUnit(std::move(portField))),
      FRunner(programmator, run.Recipe, run.Inputs, FFields)
{
}

bool TUnitRun::Run(int32_t portNumber)
{
    FRunner.SetHandshakeRetries(FRun.Retries, FPause);
    bool go = !StopRequested();
    if (!go)
        FFailure = StoppedOnRequest(TStopPoint::spBeforeConnecting);
    // A unit refused for its files takes no number; otherwise the number is the unit's once the
    // counter past it is on the disk, before the unit is touched.
    const TRecipeSerial *serial = FRun.Recipe.Serial();
    if (serial && serial->Keep)
        FRunner.SetSerialSupply([this](const std::optional<uint64_t> &held, TFailure &failure) {
            return SupplySerial(held, failure);
        });
    go = go && FRunner.Prepare() && ((serial && serial->Keep) || ReserveSerial());
    if (go && FFields.Serial)
        FRunner.SetSerial(*FFields.Serial);
    const bool done = go && FRunner.Prepare() && FRunner.Run(portNumber);
    if (!done && StopRequested()) {
        // Nothing more is sent: no "Q"; the port closes when the programmator goes.
        FStopped = true;
    } else {
        FRunner.Goodbye();
    }
    if (FRunner.Failure().Failed())
        FFailure = FRunner.Failure();
    return done;
}

bool TUnitRun::ReserveSerial()
{
    if (!FRun.Recipe.Serial())
        return true;
    uint64_t serial = 0;
    TFailure failure;
    if (!FRun.Serials) {
        failure = MakeFailure(TFailureKind::fkRefusedInput, "no source of serial numbers was opened");
    } else if (FRun.Serials->Take([this] { return StopRequested(); }, serial, failure)) {
        FFields.Serial = serial;
        if (FSerialListener)
            FSerialListener(serial);
        return true;
    }
    FFailure = failure.During("reserving the unit's serial number");
    return false;
}

std::optional<uint64_t> TUnitRun::SupplySerial(const std::optional<uint64_t> &held, TFailure &failure)
{
    if (held) {
        FFields.Serial = held;
        if (FSerialListener)
            FSerialListener(*held);
    } else if (!ReserveSerial()) {
        failure = FFailure;
        return std::nullopt;
    }
    return FFields.Serial;
}

std::string TUnitRun::ModuleState() const
{
    const std::optional<size_t> failed = FRunner.FailedStep();
    return failed ? FRunner.Steps()[*failed].ModuleState : "";
}

TUnitRecord TUnitRun::Record(const std::string &tool) const
{
    TUnitRecord record;
    record.Tool = tool;
    record.UnitId = FFields.UnitId;
    record.Serial = FFields.Serial;
    record.SerialKept = FRunner.SerialKept();
    record.Station = FRun.Station;
    record.Operator = FRun.Operator;
    record.Lot = FRun.Lot;
    record.Recipe = FRun.Recipe.Path;
    record.RecipeSha256 = FRun.Recipe.Sha256;
    record.Port = FPortLabel;
    record.Device = FRunner.Device();
    record.Steps = FRunner.Steps();
    record.Failure = FFailure;
    record.FailedStep = FRunner.FailedStep();
    record.DurationMs = FRunner.DurationMs();
    return record;
}

} // namespace morlith
