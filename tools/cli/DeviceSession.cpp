// SPDX-License-Identifier: MIT
#include "DeviceSession.h"

#include "AtomicFile.h"
#include "DataFiles.h"
#include "EventWait.h"
#include "NumberText.h"
#include "PackageAcceptance.h"
#include "PortMap.h"
#include "PathText.h"

#include <algorithm>
#include <array>
#include <cerrno>

namespace morlith::cli {
TDeviceSession::TDeviceSession(const TPortChoice &port, const TDeviceJob &job, TSessionReporter &reporter,
                               TConsole &console)
    : TPortSession(port, job.TimeoutMs, reporter, console),
      FJob(job),
      FLoader(new TLoader()),
      FRunner(*FProgrammator, job.Operation, job.Mcu, job.Input)
{
    // The record names the file read into even when the read fails.
    if (job.Operation == TOperationKind::okReadDataSegment)
        FRunner.SetOutputLabel(FJob.FileName());
    if (job.Verbose)
        FRunner.SetFrameListener([this](const TFrameTraceEvent &event) { OnFrame(event); });
    FLoader->SetProgrammator(FProgrammator.get());
    FProgressSubscriber.OnNotify = [this](TObserver *) { OnProgress(); };
    FLoader->Observer().Attach(&FProgressSubscriber);
    FRunner.SetStopCheck(InterruptRequested);
    FRunner.SetSkipIfCurrent(job.SkipIfCurrent);
    FRunner.SetKnownPackages(job.Packages);
}

// The loader goes first (it unhooks the programmator); the programmator then closes the port.
TDeviceSession::~TDeviceSession() { FLoader.reset(); }

std::string TDeviceSession::Controller() const
{
    return FJob.Mcu == 0 ? "main controller" : "controller " + std::to_string(FJob.Mcu);
}

bool TDeviceSession::Fail(const TFailure &failure, int status)
{
    FOutcome.Status = status;
    return FRunner.Fail(failure);
}

bool TDeviceSession::FailFromRunner() { return Fail(FRunner.Failure()); }

bool TDeviceSession::Open()
{
    const auto pause = [this](uint32_t attempt) {
        if (FJob.Verbose)
            FConsole.Err(FPort.Label + ": " + FRunner.Failure().Message() + "; trying again (" +
                         std::to_string(attempt + 1) + " of " + std::to_string(FJob.Retries) + ")");
        return SleepUnlessInterrupted(kRetryPauseMs);
    };
    return FRunner.Open(FPort.ComNumber, FJob.Retries, pause) || FailFromRunner();
}

bool TDeviceSession::WriteApplication()
{
    if (!FRunner.Perform())
        return FailFromRunner();
    const uint64_t bytes = FRunner.Bytes();
    const double seconds = Elapsed();
    FOutcome.Bytes = bytes;
    if (FJob.Verify && !FRunner.Verify())
        return FailFromRunner();
    if (FRunner.Skipped()) {
        FOutcome.AlreadyCurrent = true;
        FOutcome.Message = FJob.FileName() + " is already current on " + FPort.Label + ", " + Controller() +
                           ": nothing written" + (FJob.Verify ? "; parameter block read back and verified" : "");
        return true;
    }
    FOutcome.Message = "Wrote " + FJob.FileName() + " to " + FPort.Label + ", " + Controller() + ": " +
                       CountOfBytes(bytes) + " in " + FormatSeconds(seconds) + " (" +
                       FormatRate(seconds > 0 ? double(bytes) / seconds : 0) + ")" +
                       (FJob.Verify ? "; parameter block read back and verified" : "");
    return true;
}

std::string TDeviceSession::KeepDataRead()
{
    try {
        TTemporaryFile kept(TemporaryFolder());
        if (ReplaceFileAtomically(kept.Path(), FRunner.Data().data(), FRunner.Data().size()).Failed())
            return "";
        kept.Keep();
        return kept.Path();
    } catch (const std::system_error &) {
        return "";
    }
}

bool TDeviceSession::ReadDataSegment()
{
    if (!FRunner.Perform())
        return FailFromRunner();
    FOutcome.Bytes = FRunner.Data().size();
    if (FJob.ToStandardOutput)
        return DeliverToStandardOutput();
    if (!FRunner.SaveData(FJob.File, FJob.Force ? TExistingFile::efReplace : TExistingFile::efKeep)) {
        TFailure failure = FRunner.Failure();
        if (failure.OsError == EEXIST) {
            // A file made there meanwhile is kept; so is the data read, elsewhere.
            failure.Detail = FJob.File + " exists; give --force to replace it";
            const std::string kept = KeepDataRead();
            if (!kept.empty())
                failure.Detail += "; the data read is in " + kept;
        }
        return Fail(failure);
    }
    FOutcome.Message = "Read " + CountOfBytes(FOutcome.Bytes) + " of the data segment of " + FPort.Label + ", " +
                       Controller() + " into " + FJob.File;
    return true;
}

bool TDeviceSession::DeliverToStandardOutput()
{
    if (!FConsole.OutBytes(FRunner.Data()))
        return Fail(MakeFailure(TFailureKind::fkFile, "cannot write the data segment to standard output")
                        .During("saving the data segment"));
    FOutcome.Message = "Read " + CountOfBytes(FOutcome.Bytes) + " of the data segment of " + FPort.Label + ", " +
                       Controller() + " to standard output";
    return true;
}

bool TDeviceSession::WriteDataSegment()
{
    if (!FRunner.Perform(FJob.Force)) {
        TFailure failure = FRunner.Failure();
        if (failure.Kind == TFailureKind::fkRefusedInput)
            failure.Detail += " (--force writes it anyway)";
        return Fail(failure);
    }
    const uint64_t written = FRunner.Bytes();
    const uint64_t segment = FRunner.SegmentBytes();
    FOutcome.Bytes = written;
    if (FJob.Verify && !FRunner.Verify())
        return FailFromRunner();
    std::string covered;
    if (written < segment)
        covered = " (the first " + GroupThousands(written) + " of its " + GroupThousands(segment) + " bytes)";
    FOutcome.Message = "Wrote " + CountOfBytes(written) + " of " + FJob.FileName() + " into the data segment of " +
                       FPort.Label + ", " + Controller() + covered + (FJob.Verify ? "; read back and verified" : "");
    return true;
}

bool TDeviceSession::ReadStatus()
{
    if (!FRunner.Perform())
        return FailFromRunner();
    const std::vector<TControllerHolding> &holdings = FRunner.Holdings();
    FReporter.StatusRead(FPort.Label, holdings);
    const auto absent = std::count_if(holdings.begin(), holdings.end(), [](const auto &h) { return !h.Present; });
    FOutcome.Message = "Read the parameter blocks of " + FPort.Label + ": " +
                       std::to_string(holdings.size() - size_t(absent)) + " controllers" +
                       (absent > 0 ? ", " + std::to_string(absent) + " absent" : "");
    return true;
}

bool TDeviceSession::Perform()
{
    switch (FJob.Operation) {
    case TOperationKind::okStatus:
        return ReadStatus();
    case TOperationKind::okWriteApplication:
        return WriteApplication();
    case TOperationKind::okReadDataSegment:
        return ReadDataSegment();
    case TOperationKind::okWriteDataSegment:
        return WriteDataSegment();
    case TOperationKind::okConnect:
        break;
    }
    FOutcome.Message = "Connected to the bootloader on " + FPort.Label + ", " + Controller();
    return true;
}

void TDeviceSession::Run()
{
    FStart = std::chrono::steady_clock::now();
    FReporter.Started(FPort.Label, OperationCommand(FJob.Operation), FJob.FileName());
    const bool done = FJob.InputRefusal.Failed() ? Fail(FJob.InputRefusal) : Open() && Perform();
    if (!done && !FJob.InputNote.empty()) {
        TFailure failure = FRunner.Failure();
        failure.Detail += " (" + FJob.InputNote + ")";
        FRunner.Fail(failure);
    }
    if (FRunner.Finish(done))
        FOutcome.Status = kExitInterrupted;
    FOutcome.Failure = FRunner.Failure();
    if (!done)
        FOutcome.ModuleState = FRunner.ModuleState();
    if (done && !FJob.InputNote.empty())
        FOutcome.Message = FJob.InputNote + "; " + FOutcome.Message;
    FOutcome.Seconds = Elapsed();
    if (FJob.Log)
        AppendToLog();
    FReporter.Finished(FOutcome);
}

void TDeviceSession::AppendToLog()
{
    TOperationRecord record = FRunner.Record(kProgramName, FPort.Label);
    record.Station = FJob.Station;
    record.Operator = FJob.Operator;
    record.Lot = FJob.Lot;
    TFailure failure;
    const bool appended = FJob.Log->Append(OperationRecordLine(record), failure);
    NoteRecordAppended(appended, failure, FOutcome, FConsole);
}

} // namespace morlith::cli
