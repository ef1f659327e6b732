#include "DeviceSession.h"

#include "DataFile.h"
#include "DataFiles.h"
#include "EventWait.h"
#include "MorlithFileConverter.h"
#include "NumberText.h"
#include "PortMap.h"
#include "PathText.h"

#include <array>
#include <filesystem>
#include <system_error>

namespace morlith::cli {

TDeviceSession::TDeviceSession(const TPortChoice &port, const TDeviceJob &job, TSessionReporter &reporter,
                               TConsole &console)
    : FPort(port),
      FJob(job),
      FReporter(reporter),
      FConsole(console),
      FProgrammator(std::make_unique<TComPortProgrammator>()),
      FLoader(new TLoader()),
      FInterruptScope(*FProgrammator)
{
    FOutcome.Port = port.Label;
    FProgrammator->Driver().SetInputTimeout(job.TimeoutMs);
    if (port.ComNumber == 0) {
        const std::string path = port.DevicePath;
        FProgrammator->SetPortNaming([path](int32_t) { return path; });
    }
    FProgrammator->SetFrameTrace([this](const TFrameTraceEvent &event) { OnFrame(event); });
    FLoader->SetProgrammator(FProgrammator.get());
    FProgressSubscriber.OnNotify = [this](TObserver *) { OnProgress(); };
    FLoader->Observer().Attach(&FProgressSubscriber);
}

// The loader goes first (it unhooks the programmator); the programmator then closes the port.
TDeviceSession::~TDeviceSession() { FLoader.reset(); }

double TDeviceSession::Elapsed() const
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - FStart).count();
}

std::string TDeviceSession::Controller() const
{
    return FJob.Mcu == 0 ? "main controller" : "controller " + std::to_string(FJob.Mcu);
}

TWriteKind TDeviceSession::WriteKind() const
{
    switch (FJob.Command) {
    case TCliCommand::ccWriteApp:
        return TWriteKind::wkApplication;
    case TCliCommand::ccWriteDseg:
        return TWriteKind::wkDataSegment;
    default:
        return TWriteKind::wkNone;
    }
}

void TDeviceSession::OnFrame(const TFrameTraceEvent &event)
{
    FWriteLog.Record(event);
    if (!FJob.Verbose)
        return;
    std::string line = FPort.Label + (event.Outgoing ? " -> " : " <- ") + morlith::CommandName(event.Command) + " " +
                       std::to_string(event.Length) + " bytes";
    if (!event.Outgoing)
        line += event.CrcOk ? ", CRC ok" : ", CRC bad or reply incomplete";
    FConsole.Err(line);
}

void TDeviceSession::OnProgress()
{
    TProgressStep step;
    step.Percent = FLoader->GetProgress();
    step.Sent = FProgrammator->BytesSent();
    step.Total = FProgrammator->BytesTotal();
    step.Seconds = Elapsed();
    FReporter.Progressed(FPort.Label, step);
}

bool TDeviceSession::Fail(const TFailure &failure, int status)
{
    FOutcome.Status = status;
    FOutcome.Failure = failure;
    return false;
}

bool TDeviceSession::FailFromEngine() { return Fail(FLoader->GetLastFailure()); }

namespace {

// A handshake worth trying again: the port opened but the module did not answer it soundly (it
// may still be starting). A missing, busy or vanished port is not retried.
bool HandshakeMayBeRetried(const TFailure &failure)
{
    return failure.Kind == TFailureKind::fkNoReply || failure.Kind == TFailureKind::fkBadReply;
}

// The four words of a parameter block as "0x1388 0xA5C3 0x0200 0x1234".
std::string BlockWords(const std::array<uint16_t, 4> &words)
{
    std::string text;
    for (const uint16_t word : words)
        text += (text.empty() ? "" : " ") + Hex16(word);
    return text;
}

} // namespace

bool TDeviceSession::Connect()
{
    return FJob.Mcu == 0 ? FLoader->Connect(FPort.ComNumber) : FLoader->SelectMCU(FPort.ComNumber, FJob.Mcu);
}

bool TDeviceSession::Open()
{
    const TFailure stopped = MakeFailure(TFailureKind::fkStopped, "stopped on request");
    if (InterruptRequested())
        return Fail(TFailure(stopped).During("before connecting"));
    // Only the handshake is tried again, never anything that writes.
    for (uint32_t attempt = 0; !Connect(); ++attempt) {
        const TFailure failure = FLoader->GetLastFailure();
        if (attempt >= FJob.Retries || !HandshakeMayBeRetried(failure) || InterruptRequested())
            return FailFromEngine();
        if (FJob.Verbose)
            FConsole.Err(FPort.Label + ": " + failure.Message() + "; trying again (" + std::to_string(attempt + 1) +
                         " of " + std::to_string(FJob.Retries) + ")");
        if (!SleepUnlessInterrupted(kRetryPauseMs))
            return Fail(TFailure(stopped).During("between connect attempts"));
    }
    if (InterruptRequested())
        return Fail(TFailure(stopped).During("after connecting"));
    return true;
}

bool TDeviceSession::VerifyParameterBlock()
{
    // The module cannot read its program memory back; the block it keeps is what can be checked.
    const std::vector<uint8_t> &header = FProgrammator->Converter().Header();
    std::array<uint16_t, 4> written{};
    for (size_t k = 0; k < written.size() && 2 * k + 1 < header.size(); ++k)
        written[k] = uint16_t(header[2 * k] << 8 | header[2 * k + 1]);
    std::array<uint16_t, 4> readBack{};
    if (!FProgrammator->ReadParameterBlock(readBack)) {
        TFailure failure = FProgrammator->LastFailure();
        failure.Step = "verification (written, then reading the parameter block back: " + failure.Step + ")";
        return Fail(failure);
    }
    if (readBack != written)
        return Fail(MakeFailure(TFailureKind::fkBadReply, "the parameter block reads back as " + BlockWords(readBack) +
                                                              ", the header written was " + BlockWords(written))
                        .During("verification"));
    return true;
}

bool TDeviceSession::WriteApplication()
{
    if (!FLoader->WriteApplication(FJob.File)) {
        FTotalBytes = FProgrammator->BytesTotal();
        return FailFromEngine();
    }
    const uint64_t bytes = FProgrammator->BytesTotal();
    const double seconds = Elapsed();
    FOutcome.Bytes = bytes;
    if (FJob.Verify && !VerifyParameterBlock())
        return false;
    FOutcome.Message = "Wrote " + FJob.FileName() + " to " + FPort.Label + ", " + Controller() + ": " +
                       GroupThousands(bytes) + " bytes in " + FormatSeconds(seconds) + " (" +
                       FormatRate(seconds > 0 ? double(bytes) / seconds : 0) + ")" +
                       (FJob.Verify ? "; parameter block read back and verified" : "");
    return true;
}

bool TDeviceSession::ReadDataSegment()
{
    // Data bound for standard output waits in the scratch folder, data for FILE next to it.
    TTemporaryFile temporary(FJob.ToStandardOutput ? TemporaryFolder() : FolderOf(FJob.File),
                             FJob.ToStandardOutput ? "" : FJob.File);
    try {
        if (!FLoader->ReadDSEG(temporary.Path()))
            return FailFromEngine();
    } catch (const std::system_error &error) {
        // The engine wrote into a temporary file next to FILE; the operator knows only FILE.
        TFailure failure = MakeFailure(TFailureKind::fkFile, "cannot write " + FJob.File + ": " + error.code().message());
        failure.OsError = error.code().value();
        failure.OsText = error.code().message();
        failure.Path = FJob.File;
        return Fail(failure.During("saving the data segment"));
    }
    std::error_code sizeError;
    const auto size = std::filesystem::file_size(PathFromUtf8(temporary.Path()), sizeError);
    FOutcome.Bytes = sizeError ? 0 : uint64_t(size);
    FReadFingerprint = FingerprintFile(temporary.Path());
    FReadFingerprint->Path = FJob.FileName();
    if (FJob.ToStandardOutput)
        return DeliverToStandardOutput(temporary.Path());
    const std::string problem = PlaceFile(temporary.Path(), FJob.File, FJob.Force);
    if (!problem.empty()) {
        // The data read is kept rather than lost.
        temporary.Keep();
        TFailure failure = MakeFailure(TFailureKind::fkFile, problem + "; the data read is in " + temporary.Path());
        failure.Path = FJob.File;
        return Fail(failure.During("saving the data segment"));
    }
    FOutcome.Message = "Read " + GroupThousands(FOutcome.Bytes) + " bytes of the data segment of " + FPort.Label +
                       ", " + Controller() + " into " + FJob.File;
    return true;
}

bool TDeviceSession::DeliverToStandardOutput(const std::string &path)
{
    if (!FConsole.OutBytes(ReadWholeFile(path)))
        return Fail(MakeFailure(TFailureKind::fkFile, "cannot write the data segment to standard output")
                        .During("saving the data segment"));
    FOutcome.Message = "Read " + GroupThousands(FOutcome.Bytes) + " bytes of the data segment of " + FPort.Label +
                       ", " + Controller() + " to standard output";
    return true;
}

bool TDeviceSession::VerifyDataSegment(const std::vector<uint8_t> &written)
{
    TTemporaryFile readBack(TemporaryFolder());
    if (!FLoader->ReadDSEG(readBack.Path())) {
        TFailure failure = FLoader->GetLastFailure();
        failure.Step = "verification (written, then reading back: " + failure.Step + ")";
        return Fail(failure);
    }
    const std::string difference = DescribeDifference(written, ReadWholeFile(readBack.Path()));
    if (!difference.empty())
        return Fail(MakeFailure(TFailureKind::fkBadReply, difference).During("verification"));
    return true;
}

bool TDeviceSession::WriteDataSegment()
{
    const std::vector<uint8_t> content = ReadWholeFile(FJob.File);
    FTotalBytes = content.size();
    // The module keeps only what fits its segment: a longer file is refused unless forced.
    std::array<uint16_t, 4> block{};
    if (!FProgrammator->ReadParameterBlock(block))
        return FailFromEngine();
    const uint64_t segment = block[2];
    if (content.size() > segment && !FJob.Force) {
        TFailure refused = MakeFailure(TFailureKind::fkRefusedInput,
                                       FJob.FileName() + " is " + GroupThousands(content.size()) + " bytes, the data segment of " +
                                           FPort.Label + ", " + Controller() + " holds " + GroupThousands(segment) +
                                           "; nothing was written (--force writes it anyway)");
        refused.Path = FJob.File;
        return Fail(refused.During("checking the data file"));
    }
    if (!FLoader->WriteDSEG(FJob.File))
        return FailFromEngine();
    FOutcome.Bytes = content.size();
    if (FJob.Verify && !VerifyDataSegment(content))
        return false;
    std::string covered;
    if (content.size() < segment)
        covered = " (the first " + GroupThousands(content.size()) + " of its " + GroupThousands(segment) + " bytes)";
    FOutcome.Message = "Wrote " + GroupThousands(content.size()) + " bytes of " + FJob.FileName() +
                       " into the data segment of " + FPort.Label + ", " + Controller() + covered +
                       (FJob.Verify ? "; read back and verified" : "");
    return true;
}

bool TDeviceSession::Perform()
{
    switch (FJob.Command) {
    case TCliCommand::ccWriteApp:
        return WriteApplication();
    case TCliCommand::ccReadDseg:
        return ReadDataSegment();
    case TCliCommand::ccWriteDseg:
        return WriteDataSegment();
    default:
        FOutcome.Message = "Connected to the bootloader on " + FPort.Label + ", " + Controller();
        return true;
    }
}

void TDeviceSession::Run()
{
    FStart = std::chrono::steady_clock::now();
    FReporter.Started(FPort.Label, CommandName(FJob.Command), FJob.FileName());
    bool done = false;
    try {
        done = Open() && Perform();
    } catch (const std::system_error &error) {
        // A data file that cannot be read or written; the engine recorded it when it was its own.
        TFailure failure = FLoader->GetLastFailure();
        if (failure.Kind != TFailureKind::fkFile) {
            failure = MakeFailure(TFailureKind::fkFile, error.what());
            failure.OsError = error.code().value();
            failure.OsText = error.code().message();
        }
        Fail(failure);
    }
    const bool interrupted = !done && InterruptRequested();
    if (interrupted) {
        // Nothing more is sent: no "Q"; the port closes when the programmator goes.
        FOutcome.Status = kExitInterrupted;
        if (!FOutcome.Failure.Failed() || FOutcome.Failure.Kind == TFailureKind::fkNoReply)
            FOutcome.Failure = MakeFailure(TFailureKind::fkStopped, "stopped on request");
    } else {
        FLoader->Disconnect();
    }
    // What the module holds is told when the work stopped on request or after writing began.
    if (!done)
        FOutcome.ModuleState = FWriteLog.DescribeUnfinished(WriteKind(), FTotalBytes, interrupted);
    FOutcome.Seconds = Elapsed();
    if (FJob.Log)
        AppendToLog();
    FReporter.Finished(FOutcome);
}

void TDeviceSession::AppendToLog()
{
    TOperationRecord record;
    record.Tool = kProgramName;
    record.Command = CommandName(FJob.Command);
    record.Port = FPort.Label;
    DescribePortDevice(record, ResolvePortName(FPort.Label));
    record.Controller = FJob.Mcu;
    record.Package = FJob.Package;
    record.DataFile = FJob.DataFile;
    if (FJob.Command == TCliCommand::ccReadDseg)
        record.DataFile = FReadFingerprint ? *FReadFingerprint : TFileFingerprint{FJob.FileName(), ""};
    record.Failure = FOutcome.Failure;
    record.DurationMs = uint64_t(FOutcome.Seconds * 1000 + 0.5);
    record.ModuleState = FOutcome.ModuleState;
    TFailure failure;
    if (FJob.Log->Append(OperationRecordLine(record), failure))
        return;
    // The module was worked on, but the station keeps no record of it: not a success.
    if (FOutcome.Ok()) {
        FOutcome.Status = kExitFailed;
        failure.Detail += " (" + FOutcome.Message + ")";
        FOutcome.Failure = failure;
        FOutcome.Message.clear();
    } else {
        FConsole.Error(WithPort(FPort.Label, failure.Message()));
    }
}

} // namespace morlith::cli
