// SPDX-License-Identifier: MIT
#include "OperationRunner.h"

#include "ComPortProgrammator.h"
#include "NumberText.h"
#include "PackageAcceptance.h"
#include "PortMap.h"
#include "Sha256.h"
#include "WriteVerification.h"

namespace morlith {

TFailure StoppedOnRequest(TStopPoint Point)
{
    const char *when = Point == TStopPoint::spBeforeConnecting         ? "before connecting"
                       : Point == TStopPoint::spBetweenConnectAttempts ? "between two connect attempts"
                                                                       : "after connecting";
    return MakeFailure(TFailureKind::fkStopped, std::string("stopped on request ") + when);
}

bool HandshakeMayBeRetried(const TFailure &Failure)
{
    return Failure.Kind == TFailureKind::fkNoReply || Failure.Kind == TFailureKind::fkBadReply;
}

TOperationRunner::TOperationRunner(TComPortProgrammator &Programmator, TOperationKind Kind, uint8_t Controller,
                                   TOperationInput Input)
    : FProgrammator(Programmator), FKind(Kind), FController(Controller), FInput(std::move(Input))
{
    // Work on a port opened before (the window connects first) is logged with the device opened then.
    if (FProgrammator.Driver().Connected())
        FDevice = FProgrammator.Driver().OpenedDevice();
    FProgrammator.SetFrameTrace([this](const TFrameTraceEvent &event) { OnFrame(event); });
}

TOperationRunner::~TOperationRunner() { FProgrammator.SetFrameTrace(nullptr); }

void TOperationRunner::OnFrame(const TFrameTraceEvent &Event)
{
    // Frames after the end (the goodbye) change nothing the module was left holding.
    if (!FConcluded)
        FWriteLog.Record(Event);
    if (FListener)
        FListener(Event);
}

bool TOperationRunner::Fail(const TFailure &Failure)
{
    FFailure = Failure;
    return false;
}

bool TOperationRunner::FailFromEngine() { return Fail(FProgrammator.LastFailure()); }

bool TOperationRunner::ReadInput(const std::string &Path)
{
    TFailure failure = ReadOperationInput(FKind, Path, "", FInput);
    if (!failure.Failed() && FTrustedKeys)
        failure = CheckInputSignature(*FTrustedKeys, FInput);
    return failure.Failed() ? Fail(failure) : true;
}

bool TOperationRunner::Connect(int32_t PortNumber) { return Reach(PortNumber, FController != 0); }

bool TOperationRunner::ConnectRetrying(int32_t PortNumber, uint32_t Retries,
                                       const std::function<bool(uint32_t Attempt)> &Pause)
{
    for (uint32_t attempt = 0; !Connect(PortNumber); ++attempt) {
        if (attempt >= Retries || !HandshakeMayBeRetried(FFailure))
            return false;
        if (!Pause(attempt))
            return Fail(StoppedOnRequest(TStopPoint::spBetweenConnectAttempts));
    }
    return true;
}

bool TOperationRunner::Open(int32_t PortNumber, uint32_t Retries, const std::function<bool(uint32_t Attempt)> &Pause)
{
    if (StopRequested())
        return Fail(StoppedOnRequest(TStopPoint::spBeforeConnecting));
    const auto pause = [&](uint32_t attempt) { return !StopRequested() && Pause(attempt); };
    if (!ConnectRetrying(PortNumber, Retries, pause))
        return false;
    if (StopRequested())
        return Fail(StoppedOnRequest(TStopPoint::spAfterConnecting));
    return true;
}

bool TOperationRunner::Select(int32_t PortNumber) { return Reach(PortNumber, true); }

void TOperationRunner::Begin()
{
    if (FBegun)
        return;
    FBegun = true;
    FStart = FEnd = std::chrono::steady_clock::now();
}

bool TOperationRunner::Reach(int32_t PortNumber, bool Select)
{
    Begin();
    FPortNumber = PortNumber;
    const bool connected =
        Select ? FProgrammator.SelectMCU(PortNumber, FController) : FProgrammator.Connect(PortNumber);
    if (!FProgrammator.Driver().OpenedDevice().empty())
        FDevice = FProgrammator.Driver().OpenedDevice();
    if (!connected)
        return FailFromEngine();
    FFailure = TFailure{};
    return true;
}

bool TOperationRunner::Perform(bool Force)
{
    Begin();
    switch (FKind) {
    case TOperationKind::okWriteApplication:
        return WriteApplication();
    case TOperationKind::okStatus:
        return ReadHoldings();
    case TOperationKind::okReadDataSegment:
        if (!FProgrammator.ReadDataSegment(FData))
            return FailFromEngine();
        FDataRead = true;
        return true;
    case TOperationKind::okWriteDataSegment: {
        // The module keeps only what fits its segment: a longer file is refused unless forced.
        std::array<uint16_t, 4> block{};
        if (!FProgrammator.ReadParameterBlock(block))
            return FailFromEngine();
        FSegmentBytes = block[2];
        if (FInput.Bytes.size() > FSegmentBytes && !Force) {
            TFailure refused = MakeFailure(
                TFailureKind::fkRefusedInput,
                FInput.Label + " is " + GroupThousands(FInput.Bytes.size()) + " bytes, the data segment of " +
                    (FController == 0 ? std::string("the main controller") : "controller " + std::to_string(FController)) +
                    " holds " + GroupThousands(FSegmentBytes) + "; nothing was written");
            refused.Path = FInput.Path;
            return Fail(refused.During("checking the data file"));
        }
        if (!FProgrammator.WriteDataSegment(FInput.Bytes))
            return FailFromEngine();
        return true;
    }
    default:
        return true;
    }
}

bool TOperationRunner::ReadParameterBlock(std::array<uint16_t, 4> &Block)
{
    return FProgrammator.ReadParameterBlock(Block) || FailFromEngine();
}

bool TOperationRunner::WriteApplication()
{
    if (FSkipIfCurrent) {
        std::array<uint16_t, 4> block{};
        if (!ReadParameterBlock(block))
            return false;
        FSkipped = IsCurrent(block, FInput.Header);
        if (FSkipped)
            return true;
    }
    if (!FProgrammator.WritePackage(std::string(FInput.Bytes.begin(), FInput.Bytes.end()), FInput.Label))
        return FailFromEngine();
    return true;
}

bool TOperationRunner::ReadHoldings()
{
    const TFailure failure = ReadModuleHoldings(FProgrammator, FPortNumber, FHoldings);
    NameHeldPackages(FHoldings, FKnownPackages);
    return failure.Failed() ? Fail(failure) : true;
}

bool TOperationRunner::Verify()
{
    const TFailure failure = VerifyWrite(FProgrammator, FKind, FInput);
    return failure.Failed() ? Fail(failure) : true;
}

bool TOperationRunner::SaveData(const std::string &Path, TExistingFile Existing)
{
    FOutputLabel = Path;
    TFailure failure = ReplaceFileAtomically(Path, FData.data(), FData.size(), Existing);
    return !failure.Failed() || Fail(failure.During("saving the data segment"));
}

TWriteKind TOperationRunner::WriteKind() const
{
    switch (FKind) {
    case TOperationKind::okWriteApplication:
        return TWriteKind::wkApplication;
    case TOperationKind::okWriteDataSegment:
        return TWriteKind::wkDataSegment;
    default:
        return TWriteKind::wkNone;
    }
}

uint64_t TOperationRunner::TotalToWrite() const
{
    // An accepted package's image is as long as its header says.
    if (FKind == TOperationKind::okWriteApplication)
        return FSkipped ? 0 : HeaderWords(FInput.Header)[0];
    return FKind == TOperationKind::okWriteDataSegment ? FInput.Bytes.size() : 0;
}

uint64_t TOperationRunner::Bytes() const
{
    return FKind == TOperationKind::okReadDataSegment ? FData.size() : TotalToWrite();
}

void TOperationRunner::Conclude()
{
    if (FConcluded)
        return;
    FConcluded = true;
    if (FBegun)
        FEnd = std::chrono::steady_clock::now();
    if (!FFailure.Failed())
        return;
    // A stop request ends a wait for a reply: that silence is the stop's, not the module's.
    if (FProgrammator.AbortRequested() && FFailure.Kind == TFailureKind::fkNoReply) {
        FFailure.Kind = TFailureKind::fkStopped;
        FFailure.Detail = "stopped on request";
    }
    const bool stopped = FFailure.Kind == TFailureKind::fkStopped;
    FModuleState = FWriteLog.DescribeUnfinished(WriteKind(), TotalToWrite(), stopped);
}

bool TOperationRunner::Finish(bool Done)
{
    Conclude();
    if (!Done && StopRequested())
        return true;
    FProgrammator.Disconnect();
    return false;
}

TOperationRecord TOperationRunner::Record(const std::string &Tool, const std::string &Port) const
{
    TOperationRecord record;
    record.Tool = Tool;
    record.Command = OperationCommand(FKind);
    record.Port = Port;
    DescribePortDevice(record, FDevice.empty() ? ResolvePortName(Port) : FDevice);
    record.Controller = FController;
    if (FKind == TOperationKind::okWriteApplication)
        record.Package = PackageFingerprint(FInput);
    else if (FKind == TOperationKind::okWriteDataSegment)
        record.DataFile = FileFingerprint(FInput);
    else if (FKind == TOperationKind::okReadDataSegment) {
        record.DataFile.emplace();
        record.DataFile->Path = FOutputLabel;
        if (FDataRead)
            record.DataFile->Sha256 = Sha256Hex(FData.data(), FData.size());
    }
    record.AlreadyCurrent = FSkipped;
    record.Controllers = FHoldings;
    record.Failure = FFailure;
    record.DurationMs = uint64_t(std::chrono::duration_cast<std::chrono::milliseconds>(FEnd - FStart).count());
    record.ModuleState = FModuleState;
    return record;
}

} // namespace morlith
