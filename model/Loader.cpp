// SPDX-License-Identifier: MIT
#include "Loader.h"

#include "Programmator.h"

namespace morlith {

TLoader::~TLoader() { SetProgrammator(nullptr); }

void TLoader::SetProgrammator(TProgrammator *Programmator)
{
    if (FProgrammator)
        FProgrammator->OnProgress = nullptr;
    FProgrammator = Programmator;
    if (FProgrammator)
        FProgrammator->OnProgress = [this](TProgrammator *) { ProgressChanged(); };
}

void TLoader::ProgressChanged() { FObserver.Notify(); }

bool TLoader::Connect(int32_t PortNumber) { return FProgrammator->Connect(PortNumber); }

bool TLoader::SelectMCU(int32_t PortNumber, uint8_t MCUIndex)
{
    return FProgrammator->SelectMCU(PortNumber, MCUIndex);
}

bool TLoader::Disconnect() { return FProgrammator->Disconnect(); }

bool TLoader::GetConnected() { return FProgrammator->GetConnected(); }

bool TLoader::CheckConnection() { return FProgrammator && FProgrammator->CheckConnection(); }

int32_t TLoader::GetProgress() { return FProgrammator ? FProgrammator->Progress() : 0; }

TFailure TLoader::GetLastFailure()
{
    return FProgrammator ? FProgrammator->LastFailure() : TFailure{};
}

} // namespace morlith
