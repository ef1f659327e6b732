// SPDX-License-Identifier: MIT
#include "ModelU.h"

#include "ComPortProgrammator.h"
#include "ConfigurationU.h"
#include "Loader.h"
#include "ProductionLog.h"

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
}

void TModelDM::DataModuleDestroy() { Programmator.reset(); }

TProductionLog *TModelDM::OperationsLog(TFailure &failure)
{
    if (!FOperationsLog)
        FOperationsLog = TProductionLog::Open(OperationsLogPath(), failure, true);
    return FOperationsLog.get();
}

std::string TModelDM::CurrentPortName() const
{
    if (Programmator && Programmator->Driver().Connected())
        return Programmator->Driver().PortName();
    return "COM" + std::to_string((Configuration ? Configuration->GetPort() : 0) + 1);
}

} // namespace morlith
