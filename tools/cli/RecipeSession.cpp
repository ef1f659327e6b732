// SPDX-License-Identifier: MIT
#include "RecipeSession.h"

#include "EventWait.h"
#include "NumberText.h"
#include "PortMap.h"

namespace morlith::cli {

TRecipeSession::TRecipeSession(const TPortChoice &port, const TRecipeRun &run, uint32_t timeoutMs, bool verbose,
                               TSessionReporter &reporter, TConsole &console)
    : TPortSession(port, timeoutMs, reporter, console),
      FRun(run),
      FUnit(*FProgrammator, run, port.Label, FileForPort(kPortPlaceholder, port))
{
    FProgrammator->OnProgress = [this](TProgrammator *) { OnProgress(); };
    FUnit.SetStopCheck(InterruptRequested);
    FUnit.SetRetryPause([] { return SleepUnlessInterrupted(kRetryPauseMs); });
    FUnit.SetStepProgress([this](size_t index, size_t count, const std::string &name) {
        FReporter.StepStarted(FPort.Label, index, count, name);
    });
    FUnit.SetSerialListener([this](uint64_t serial) { FReporter.SerialReserved(FPort.Label, serial); });
    if (verbose)
        FUnit.SetFrameListener([this](const TFrameTraceEvent &event) { OnFrame(event); });
}

void TRecipeSession::Run()
{
    FStart = std::chrono::steady_clock::now();
    FReporter.Started(FPort.Label, "run", FRun.Recipe.Path);
    const bool done = FUnit.Run(FPort.ComNumber);
    FOutcome.Status = done ? kExitSuccess : FUnit.Stopped() ? kExitInterrupted : kExitFailed;
    FOutcome.Failure = FUnit.Failure();
    FOutcome.ModuleState = FUnit.ModuleState();
    FOutcome.Serial = FUnit.Serial();
    FOutcome.Seconds = Elapsed();
    if (done) {
        const size_t count = FUnit.StepCount();
        FOutcome.Message = "Ran " + FRun.Recipe.Path + " on " + FPort.Label + ": " + std::to_string(count) +
                           (count == 1 ? " step" : " steps") + " in " + FormatSeconds(FOutcome.Seconds) +
                           (FOutcome.Serial ? ", serial " + std::to_string(*FOutcome.Serial) : "");
    }
    if (FRun.Log) {
        TFailure failure;
        const bool appended = FRun.Log->Append(UnitRecordLine(FUnit.Record(kProgramName)), failure);
        NoteRecordAppended(appended, failure, FOutcome, FConsole);
    }
    FReporter.Finished(FOutcome);
}

} // namespace morlith::cli
