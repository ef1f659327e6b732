// SPDX-License-Identifier: MIT
#include "RecipeSession.h"

#include "DeviceCommands.h"
#include "DeviceSession.h"
#include "EventWait.h"
#include "NumberText.h"
#include "SerialCounter.h"
#include "UnitRecord.h"

#include <cstdio>
#include <mutex>
#include <random>

namespace morlith::cli {
namespace {

// A unit's name: when it started and a random part, so that two stations never give one name.
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

} // namespace

TRecipeSession::TRecipeSession(const TPortChoice &port, const TRecipeRun &run, TSessionReporter &reporter,
                               TConsole &console)
    : FPort(port),
      FRun(run),
      FReporter(reporter),
      FConsole(console),
      FProgrammator(std::make_unique<TComPortProgrammator>()),
      FInterruptScope(*FProgrammator)
{
    FOutcome.Port = port.Label;
    FProgrammator->Driver().SetInputTimeout(run.TimeoutMs);
    if (port.ComNumber == 0) {
        const std::string path = port.DevicePath;
        FProgrammator->SetPortNaming([path](int32_t) { return path; });
    }
    FProgrammator->OnProgress = [this](TProgrammator *) { OnProgress(); };
}

double TRecipeSession::Elapsed() const
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - FStart).count();
}

void TRecipeSession::OnProgress() { FReporter.Progressed(FPort.Label, ProgressOf(*FProgrammator, Elapsed())); }

TUnitFields TRecipeSession::MakeFields() const
{
    TUnitFields fields;
    fields.Time = UnitTimeText(std::chrono::system_clock::now());
    fields.UnitId = NewUnitId(fields.Time);
    fields.Port = FileForPort(kPortPlaceholder, FPort);
    return fields;
}

void TRecipeSession::Run()
{
    FStart = std::chrono::steady_clock::now();
    FReporter.Started(FPort.Label, "run", FRun.Recipe.Path);
    TUnitFields fields = MakeFields();
    TRecipeRunner runner(*FProgrammator, FRun.Recipe, FRun.Inputs, fields);
    runner.SetStepProgress([this](size_t index, size_t count, const std::string &name) {
        FReporter.StepStarted(FPort.Label, index, count, name);
    });
    if (FRun.Verbose)
        runner.SetFrameListener([this](const TFrameTraceEvent &event) { FConsole.Err(FrameTraceLine(FPort.Label, event)); });
    runner.SetHandshakeRetries(FRun.Retries, [] { return SleepUnlessInterrupted(kRetryPauseMs); });
    bool go = !InterruptRequested();
    if (!go)
        FOutcome.Failure = StoppedOnRequest(TStopPoint::spBeforeConnecting);
    // A unit refused for its files takes no number; otherwise the number is the unit's once the
    // counter past it is on the disk, before the unit is touched.
    go = go && runner.Prepare() && ReserveSerial(fields);
    if (go && fields.Serial)
        runner.SetSerial(*fields.Serial);
    // Otherwise the outcome says why the unit is not touched.
    const bool done = go && runner.Prepare() && runner.Run(FPort.ComNumber);
    Conclude(runner, done, fields);
    if (FRun.Log)
        AppendToLog(runner, fields);
    FReporter.Finished(FOutcome);
}

bool TRecipeSession::ReserveSerial(TUnitFields &fields)
{
    const std::string counter = FRun.Recipe.SerialCounter();
    if (counter.empty())
        return true;
    TSerialCounter serials(counter);
    serials.SetStopCheck([] { return InterruptRequested(); });
    serials.SetWaitNotice(FRun.LockNotice);
    uint64_t serial = 0;
    TFailure failure;
    if (!serials.Reserve(serial, failure, FRun.Recipe.SerialLimit())) {
        FOutcome.Failure = failure.During("reserving the unit's serial number");
        return false;
    }
    fields.Serial = serial;
    FReporter.SerialReserved(FPort.Label, serial);
    return true;
}

void TRecipeSession::Conclude(TRecipeRunner &runner, bool done, const TUnitFields &fields)
{
    if (!done && InterruptRequested()) {
        // Nothing more is sent: no "Q"; the port closes when the programmator goes.
        FOutcome.Status = kExitInterrupted;
    } else {
        runner.Goodbye();
        FOutcome.Status = done ? kExitSuccess : kExitFailed;
    }
    if (runner.Failure().Failed())
        FOutcome.Failure = runner.Failure();
    if (runner.FailedStep())
        FOutcome.ModuleState = runner.Steps()[*runner.FailedStep()].ModuleState;
    FOutcome.Serial = fields.Serial;
    FOutcome.Seconds = Elapsed();
    if (done) {
        const size_t count = runner.Steps().size();
        FOutcome.Message = "Ran " + FRun.Recipe.Path + " on " + FPort.Label + ": " + std::to_string(count) +
                           (count == 1 ? " step" : " steps") + " in " + FormatSeconds(FOutcome.Seconds) +
                           (fields.Serial ? ", serial " + std::to_string(*fields.Serial) : "");
    }
}

void TRecipeSession::AppendToLog(const TRecipeRunner &runner, const TUnitFields &fields)
{
    TUnitRecord record;
    record.Tool = kProgramName;
    record.UnitId = fields.UnitId;
    record.Serial = fields.Serial;
    record.Station = FRun.Station;
    record.Operator = FRun.Operator;
    record.Lot = FRun.Lot;
    record.Recipe = FRun.Recipe.Path;
    record.RecipeSha256 = FRun.Recipe.Sha256;
    record.Port = FPort.Label;
    record.Device = runner.Device();
    record.Steps = runner.Steps();
    record.Failure = FOutcome.Failure;
    record.FailedStep = runner.FailedStep();
    record.DurationMs = runner.DurationMs();
    AppendRecord(*FRun.Log, UnitRecordLine(record), FOutcome, FConsole);
}

} // namespace morlith::cli
