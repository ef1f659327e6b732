// SPDX-License-Identifier: MIT
#pragma once
// TModelDM: the objects behind the windows for the whole run, created before the main window and
// destroyed after it: the configuration, the programmator and the loader.

#include "Failure.h"

#include <memory>
#include <string>

namespace morlith {

class TConfiguration;
class TComPortProgrammator;
class TLoader;
class TProductionLog;

class TModelDM {
public:
    // Builds the model (DataModuleCreate).
    TModelDM();
    // Frees the programmator (DataModuleDestroy).
    ~TModelDM();
    TModelDM(const TModelDM &) = delete;
    TModelDM &operator=(const TModelDM &) = delete;

    // Creates and loads the configuration, creates the programmator and the loader, and attaches
    // the one to the other.
    void DataModuleCreate();
    // Frees the programmator, which closes the port. Sends nothing.
    void DataModuleDestroy();

    // The log of the GUI's operations (OperationsLogPath), opened on first use; null with
    // `failure` when it cannot be opened.
    TProductionLog *OperationsLog(TFailure &failure);
    // The port an operation goes to now: the open port, else the configured one ("COM3").
    std::string CurrentPortName() const;

    // Plain, uncounted references: the presenters' interface references govern these two.
    TLoader *Loader = nullptr;
    TConfiguration *Configuration = nullptr;
    // Owned by the model.
    std::unique_ptr<TComPortProgrammator> Programmator;

private:
    std::unique_ptr<TProductionLog> FOperationsLog;
};

// The single model instance; null before it is created and after it is destroyed.
extern TModelDM *ModelDM;

} // namespace morlith
