// SPDX-License-Identifier: MIT
#include "ModelU.h"

#include "ComPortProgrammator.h"
#include "ConfigurationU.h"
#include "Loader.h"
#include "Operations.h"

namespace morlith {

TModelDM *ModelDM = nullptr;

TModelDM::TModelDM()
{
    ModelDM = this;
    DataModuleCreate();
}

TModelDM::~TModelDM()
{
    DataModuleDestroy();
    if (ModelDM == this)
        ModelDM = nullptr;
}

void TModelDM::DataModuleCreate()
{
    Configuration = new TConfiguration();
    (void)Configuration->Load();
    Programmator = std::make_unique<TComPortProgrammator>();
    Loader = new TLoader();
    Loader->SetProgrammator(Programmator.get());
    Operations = new TOperations(*Programmator, *Configuration);
}

void TModelDM::DataModuleDestroy() { Programmator.reset(); }

} // namespace morlith
