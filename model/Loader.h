// SPDX-License-Identifier: MIT
#pragma once
// TLoader: a thin facade over the programmator that fans its progress out to subscribers.

#include "LoaderIntf.h"
#include "Observer.h"

namespace morlith {

class TProgrammator;

class TLoader : public TInterfacedObject, public ILoaderInterface {
public:
    TLoader() = default;

    // Attaches a programmator (or none) and hooks its progress; unhooks the one before.
    void SetProgrammator(TProgrammator *Programmator);
    // The attached programmator; null when none.
    TProgrammator *Programmator() const { return FProgrammator; }
    // The notifier that every progress step of an application write fires.
    TObserver &Observer() { return FObserver; }

    bool Connect(int32_t PortNumber) override;
    bool SelectMCU(int32_t PortNumber, uint8_t MCUIndex) override;
    bool Disconnect() override;
    bool GetConnected() override;
    bool CheckConnection() override;
    int32_t GetProgress() override;
    TFailure GetLastFailure() override;

protected:
    // Unhooks the programmator, so it never calls into a freed loader.
    ~TLoader() override;

private:
    void ProgressChanged();

    TProgrammator *FProgrammator = nullptr;
    TObserver FObserver;
};

} // namespace morlith
