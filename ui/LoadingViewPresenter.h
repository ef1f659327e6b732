// SPDX-License-Identifier: MIT
#pragma once
// TLoadingViewPresenter: the logic of the Loading page. It keeps the page's state, runs the
// device operations and shows their progress, failures and questions.

#include "ConfigurationUIntf.h"
#include "LoaderIntf.h"
#include "LoadingViewIntf.h"
#include "LoadingViewPresenterIntf.h"
#include "OperationsIntf.h"

#include <functional>
#include <array>
#include <memory>
#include <optional>

class QTimer;

namespace morlith {

class TSubjectObserver;
struct TFileFilter;

// The pause before every connect, in milliseconds.
constexpr int kConnectPauseMs = 1500;
// How often the line is looked at while connected and idle, in milliseconds: an adapter
// unplugged between operations shows as disconnected well within a second.
constexpr int kIdleLineCheckMs = 250;

class TLoadingViewPresenter : public TInterfacedObject, public ILoadingViewPresenterInterface {
public:
    // Takes the page, the loader (the connection), the operations (what runs them) and the
    // configuration (the port), subscribes to the model loader's progress and draws the page
    // disconnected.
    TLoadingViewPresenter(ILoadingViewInterface *View, ILoaderInterface *Loader,
                          IOperationsInterface *Operations, IConfigurationInterface *Configuration);

    // ILoadingViewPresenterInterface.
    void SetMCUIndex(int32_t Index) override;
    void Connect() override;
    void Disconnect() override;
    void OpenAppFile() override;
    void WriteApp() override;
    void OpenDataFile() override;
    void ReadData() override;
    void WriteData() override;

    // The page's state, for inspection.
    const TStatusView &Status() const { return *FStatus; }
    // Whether an operation is running; page actions that arrive meanwhile are ignored.
    bool Busy() const { return FBusy; }

protected:
    // Frees the state and the subscriber, then releases the view, the operations, the loader and
    // the configuration.
    ~TLoadingViewPresenter() override;

private:
    void ProgressChanged();
    void RefreshConnected();
    // What the chosen controller holds, in words, from what the page last learnt of it.
    std::string HoldingText();
    // Between operations: a port that went away leaves the page disconnected.
    void CheckIdleLine();
    void ChooseFile(const TFileFilter &Filter, std::string TStatusView::*Target,
                    void (ILoadingViewInterface::*Show)(const std::string &));
    // Runs `Steps` on an operation of `Kind`, marked busy; then logs it, shows whether the port
    // is still connected and, unless told already, its failure under `FailureTitle`.
    void RunOperation(const char *FailureTitle, TOperationKind Kind,
                      const std::function<void(IOperationInterface &)> &Steps);
    // Ends the operation and logs it (once); then shows its failure under `Title`.
    void ShowFailure(const char *Title, IOperationInterface &Operation);
    // Ends the operation, which appends its record to the operations log; tells the operator once
    // a run when the log cannot be written.
    void EndOperation(IOperationInterface &Operation);
    // The configured port's number: the Options list's index plus one ("COM1" is index 0).
    int32_t ConfiguredPortNumber();

    std::unique_ptr<TStatusView> FStatus;
    int32_t FMCUIndex = 0;
    std::unique_ptr<TSubjectObserver> FSubscriber;
    IntfPtr<ILoadingViewInterface> FView;
    IntfPtr<ILoaderInterface> FLoader;
    IntfPtr<IOperationsInterface> FOperations;
    IntfPtr<IConfigurationInterface> FConfiguration;
    // Runs CheckIdleLine while connected.
    std::unique_ptr<QTimer> FIdleLineCheck;
    // The chosen controller's parameter block, read on connecting; none once a write changed it.
    std::optional<std::array<uint16_t, 4>> FHeldBlock;
    // The last application write left the chosen package, or skipped it as already current.
    bool FWroteChosen = false;
    bool FSkippedChosen = false;
    bool FBusy = false;
    bool FLogFailureShown = false;
    // The running operation's failure was shown.
    bool FFailureShown = false;
};

} // namespace morlith
