// SPDX-License-Identifier: MIT
#pragma once
// TOperations: the window's device operations, each run on a TOperationRunner over the model's
// programmator, and each ended with its record in the window's operations log.

#include "OperationsIntf.h"

#include <memory>
#include <string>

namespace morlith {

class TComPortProgrammator;
class TConfiguration;
class TProductionLog;

class TOperations : public TInterfacedObject, public IOperationsInterface {
public:
    // Runs on `Programmator`; signs records with the station, operator and lot of
    // `Configuration`. Neither is owned; both outlive every operation begun here.
    TOperations(TComPortProgrammator &Programmator, TConfiguration &Configuration);

    IntfPtr<IOperationInterface> Begin(TOperationKind Kind, uint8_t Controller) override;
    std::string SignatureNote(const std::string &Path) override;
    bool HoldsPackage(const std::array<uint16_t, 4> &Block, const std::string &Path) override;

    // The port an operation goes to now: the open port, else the configured one ("COM3").
    std::string CurrentPortName() const;
    // Appends `Line` to the operations log (OperationsLogPath), opened on first use; false with
    // `Failure` when it cannot be opened or written.
    bool AppendToLog(const std::string &Line, TFailure &Failure);
    // The station, operator and lot of the settings.
    const TConfiguration &Configuration() const { return FConfiguration; }

protected:
    ~TOperations() override;

private:
    TComPortProgrammator &FProgrammator;
    TConfiguration &FConfiguration;
    std::unique_ptr<TProductionLog> FLog;
};

} // namespace morlith
