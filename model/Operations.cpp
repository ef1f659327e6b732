// SPDX-License-Identifier: MIT
#include "Operations.h"

#include "ComPortProgrammator.h"
#include "ConfigurationU.h"
#include "OperationRunner.h"
#include "OperationInput.h"
#include "ProductionLog.h"
#include "TrustedKeys.h"

namespace morlith {
namespace {

// The name the window signs its log records with.
constexpr const char *kGuiToolName = "morlith";

// One operation of the window on a TOperationRunner; it keeps its TOperations alive.
class TRunnerOperation : public TInterfacedObject, public IOperationInterface {
public:
    TRunnerOperation(TOperations &Operations, TComPortProgrammator &Programmator,
                     TOperationKind Kind, uint8_t Controller)
        : FOperations(&Operations), FRunner(Programmator, Kind, Controller)
    {
        // Files are sent only with a signature by a trusted key, when the configuration names
        // keys; a key file that cannot be read stops the writes, never lets them through.
        const TFailure keyFailure =
            AddTrustedKeyFiles(Operations.Configuration().Config().TrustedKeyFiles(), FTrustedKeys);
        FRunner.SetTrustedKeys(&FTrustedKeys);
        const bool writes = Kind == TOperationKind::okWriteApplication || Kind == TOperationKind::okWriteDataSegment;
        if (writes && keyFailure.Failed())
            (void)FRunner.Fail(keyFailure);
        FRunner.SetSkipIfCurrent(Operations.Configuration().Config().SkipIfCurrent());
    }

    bool ReadInput(const std::string &Path) override
    {
        return !FRunner.Failure().Failed() && FRunner.ReadInput(Path);
    }
    bool Connect(int32_t PortNumber) override { return FRunner.Connect(PortNumber); }
    bool Perform() override { return FRunner.Perform(); }
    bool SaveData(const std::string &Path) override
    {
        return FRunner.SaveData(Path, TExistingFile::efReplace);
    }
    void SetOutputLabel(const std::string &Label) override { FRunner.SetOutputLabel(Label); }
    bool ReadParameterBlock(std::array<uint16_t, 4> &Block) override { return FRunner.ReadParameterBlock(Block); }
    bool Skipped() override { return FRunner.Skipped(); }
    TFailure Failure() override { return FRunner.Failure(); }

    bool Finish(TFailure &LogFailure) override
    {
        if (FFinished)
            return true;
        FFinished = true;
        FRunner.Conclude();
        TOperationRecord record = FRunner.Record(kGuiToolName, FOperations->CurrentPortName());
        const TConfig &settings = FOperations->Configuration().Config();
        record.Station = settings.Station();
        record.Operator = settings.Operator();
        record.Lot = settings.Lot();
        return FOperations->AppendToLog(OperationRecordLine(record), LogFailure);
    }

private:
    IntfPtr<TOperations> FOperations;
    TTrustedKeys FTrustedKeys;
    TOperationRunner FRunner;
    bool FFinished = false;
};

} // namespace

TOperations::TOperations(TComPortProgrammator &Programmator, TConfiguration &Configuration)
    : FProgrammator(Programmator), FConfiguration(Configuration)
{
}

TOperations::~TOperations() = default;

IntfPtr<IOperationInterface> TOperations::Begin(TOperationKind Kind, uint8_t Controller)
{
    return IntfPtr<IOperationInterface>(new TRunnerOperation(*this, FProgrammator, Kind, Controller));
}

std::string TOperations::SignatureNote(const std::string &Path)
{
    TTrustedKeys keys;
    const TFailure keyFailure = AddTrustedKeyFiles(FConfiguration.Config().TrustedKeyFiles(), keys);
    if (keyFailure.Failed())
        return keyFailure.Detail.empty() ? keyFailure.Message() : keyFailure.Detail;
    if (keys.Empty())
        return "";
    const TSignatureCheck check = keys.Check(Path);
    return check.Accepted() ? "signed by " + check.KeyId : check.Failure.Detail;
}

bool TOperations::HoldsPackage(const std::array<uint16_t, 4> &Block, const std::string &Path)
{
    TOperationInput package;
    return !ReadOperationInput(TOperationKind::okWriteApplication, Path, "", package).Failed() &&
           HoldsImageOf(Block, package.Header);
}

std::string TOperations::CurrentPortName() const
{
    if (FProgrammator.Driver().Connected())
        return FProgrammator.Driver().PortName();
    return "COM" + std::to_string(FConfiguration.GetPort() + 1);
}

bool TOperations::AppendToLog(const std::string &Line, TFailure &Failure)
{
    if (!FLog)
        FLog = TProductionLog::Open(OperationsLogPath(), Failure, true);
    return FLog && FLog->Append(Line, Failure);
}

} // namespace morlith
