// SPDX-License-Identifier: MIT
#pragma once
// TModelDM: the objects behind the windows for the whole run, created before the main window and
// destroyed after it: the configuration, the programmator, the loader and the operations run on
// the programmator.

#include <memory>

namespace morlith {

class TConfiguration;
class TComPortProgrammator;
class TLoader;
class TOperations;

class TModelDM {
public:
    // Builds the model (DataModuleCreate).
    TModelDM();
    // Frees the programmator (DataModuleDestroy).
    ~TModelDM();
    TModelDM(const TModelDM &) = delete;
    TModelDM &operator=(const TModelDM &) = delete;

    // Creates and loads the configuration, creates the programmator and the loader, and attaches
    // the one to the other; then the operations over the programmator.
    void DataModuleCreate();
    // Frees the programmator, which closes the port. Sends nothing.
    void DataModuleDestroy();

    // Plain, uncounted references: the presenters' interface references govern these three.
    TLoader *Loader = nullptr;
    TConfiguration *Configuration = nullptr;
    TOperations *Operations = nullptr;
    // Owned by the model.
    std::unique_ptr<TComPortProgrammator> Programmator;
};

// The single model instance; null before it is created and after it is destroyed.
extern TModelDM *ModelDM;

} // namespace morlith
