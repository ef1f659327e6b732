// SPDX-License-Identifier: MIT
#include "PortSession.h"

namespace morlith::cli {

TPortSession::TPortSession(const TPortChoice &port, uint32_t timeoutMs, TSessionReporter &reporter, TConsole &console)
    : FPort(port),
      FReporter(reporter),
      FConsole(console),
      FProgrammator(std::make_unique<TComPortProgrammator>()),
      FInterruptScope(*FProgrammator)
{
    FOutcome.Port = port.Label;
    FProgrammator->Driver().SetInputTimeout(timeoutMs);
    if (port.ComNumber == 0) {
        const std::string path = port.DevicePath;
        FProgrammator->SetPortNaming([path](int32_t) { return path; });
    }
}

double TPortSession::Elapsed() const
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - FStart).count();
}

void TPortSession::OnProgress() { FReporter.Progressed(FPort.Label, ProgressOf(*FProgrammator, Elapsed())); }

void TPortSession::OnFrame(const TFrameTraceEvent &event) { FConsole.Err(FrameTraceLine(FPort.Label, event)); }

TProgressStep ProgressOf(const TProgrammator &programmator, double seconds)
{
    TProgressStep step;
    step.Percent = programmator.Progress();
    step.Sent = programmator.BytesSent();
    step.Total = programmator.BytesTotal();
    step.Seconds = seconds;
    return step;
}

std::string FrameTraceLine(const std::string &port, const TFrameTraceEvent &event)
{
    std::string line = port + (event.Outgoing ? " -> " : " <- ") + morlith::CommandName(event.Command) + " " +
                       std::to_string(event.Length) + " bytes";
    if (!event.Outgoing)
        line += event.CrcOk ? ", CRC ok" : ", CRC bad or reply incomplete";
    return line;
}

void NoteRecordAppended(bool appended, TFailure failure, TPortOutcome &outcome, TConsole &console)
{
    if (appended)
        return;
    // The module was worked on, but the station keeps no record of it: not a success.
    if (outcome.Ok()) {
        outcome.Status = failure.Kind == TFailureKind::fkStopped ? kExitInterrupted : kExitFailed;
        failure.Detail += " (" + outcome.Message + ")";
        outcome.Failure = failure;
        outcome.Message.clear();
    } else {
        console.Error(WithPort(outcome.Port, failure.Message()));
    }
}

} // namespace morlith::cli
