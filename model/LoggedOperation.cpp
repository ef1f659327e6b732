#include "LoggedOperation.h"

#include "ComPortProgrammator.h"
#include "ModelU.h"
#include "PortMap.h"
#include "ProductionLog.h"
#include "PathText.h"

#include <filesystem>

namespace morlith {

// The name the GUI signs its records with.
constexpr const char *kGuiToolName = "morlith";

TLoggedOperation::TLoggedOperation(TProductionLog *log, TComPortProgrammator *programmator,
                                   const std::string &command, const std::string &port, int controller,
                                   const std::string &file)
    : FLog(programmator ? log : nullptr), FProgrammator(programmator), FFile(file)
{
    if (!FLog)
        return;
    FRecord.Tool = kGuiToolName;
    FRecord.Command = command;
    FRecord.Port = port;
    FRecord.Controller = controller;
    // The files are fingerprinted as they were when the operation took them.
    if (command == "write-app") {
        FRecord.Package = FingerprintPackage(file);
    } else if (command == "write-dseg") {
        FRecord.DataFile = FingerprintFile(file);
        std::error_code error;
        FDataBytes = std::filesystem::file_size(PathFromUtf8(file), error);
        if (error)
            FDataBytes = 0;
    }
    FProgrammator->SetFrameTrace([this](const TFrameTraceEvent &event) { FWriteLog.Record(event); });
}

TLoggedOperation::TLoggedOperation(const TFailure &openFailure) : FOpenFailure(openFailure) {}

TLoggedOperation::~TLoggedOperation()
{
    if (FLog)
        FProgrammator->SetFrameTrace(nullptr);
}

TWriteKind TLoggedOperation::WriteKind() const
{
    if (FRecord.Command == "write-app")
        return TWriteKind::wkApplication;
    return FRecord.Command == "write-dseg" ? TWriteKind::wkDataSegment : TWriteKind::wkNone;
}

bool TLoggedOperation::Finish(const TFailure &failure, TFailure &logFailure)
{
    FFinished = true;
    if (!FLog) {
        logFailure = FOpenFailure;
        return !FOpenFailure.Failed();
    }
    FRecord.Time = std::chrono::system_clock::now();
    FRecord.DurationMs = uint64_t(
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - FStart).count());
    FRecord.Failure = failure;
    DescribePortDevice(FRecord, ResolvePortName(FRecord.Port));
    if (FRecord.Command == "read-dseg")
        FRecord.DataFile = failure.Failed() ? TFileFingerprint{FFile, ""} : FingerprintFile(FFile);
    if (failure.Failed()) {
        const uint64_t total = WriteKind() == TWriteKind::wkApplication ? FProgrammator->BytesTotal() : FDataBytes;
        FRecord.ModuleState =
            FWriteLog.DescribeUnfinished(WriteKind(), total, failure.Kind == TFailureKind::fkStopped);
    }
    return FLog->Append(OperationRecordLine(FRecord), logFailure);
}

TLoggedOperation LogModelOperation(const std::string &command, int controller, const std::string &file)
{
    if (!ModelDM)
        return TLoggedOperation(TFailure{});
    TFailure openFailure;
    TProductionLog *log = ModelDM->OperationsLog(openFailure);
    if (!log)
        return TLoggedOperation(openFailure);
    return TLoggedOperation(log, ModelDM->Programmator.get(), command, ModelDM->CurrentPortName(), controller, file);
}

} // namespace morlith
