// SPDX-License-Identifier: MIT
#pragma once
// TLoadingViewPresenter: the logic of the Loading page. It keeps the page's state, runs the
// loader's operations and shows their progress, failures and questions.

#include "LoaderIntf.h"
#include "LoadingViewIntf.h"
#include "LoadingViewPresenterIntf.h"
#include "OperationInput.h"

#include <functional>
#include <memory>

class QTimer;

namespace morlith {

class TOperationRunner;
class TSubjectObserver;
struct TFileFilter;

// The pause before every connect, in milliseconds.
constexpr int kConnectPauseMs = 1500;
// How often the line is looked at while connected and idle, in milliseconds: an adapter
// unplugged between operations shows as disconnected well within a second.
constexpr int kIdleLineCheckMs = 250;

class TLoadingViewPresenter : public TInterfacedObject, public ILoadingViewPresenterInterface {
public:
    // Takes the page and the loader, subscribes to the model loader's progress and draws the page
    // disconnected.
    TLoadingViewPresenter(ILoadingViewInterface *View, ILoaderInterface *Loader);

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
    // Frees the state and the subscriber, then releases the view and the loader.
    ~TLoadingViewPresenter() override;

private:
    void ProgressChanged();
    void RefreshConnected();
    // Between operations: a port that went away leaves the page disconnected.
    void CheckIdleLine();
    void ChooseFile(const TFileFilter &Filter, std::string TStatusView::*Target,
                    void (ILoadingViewInterface::*Show)(const std::string &));
    // Runs `Operation` on a runner of `Kind`, marked busy; then logs it, shows whether the port is
    // still connected and, unless told already, its failure under `FailureTitle`.
    void RunOperation(const char *FailureTitle, TOperationKind Kind,
                      const std::function<void(TOperationRunner &)> &Operation);
    // Ends the operation and logs it (once); then shows its failure under `Title`.
    void ShowFailure(const char *Title, TOperationRunner &Runner);
    // Ends the operation and appends its record to the operations log, once; tells the operator
    // once a run when the log cannot be written.
    void EndOperation(TOperationRunner &Runner);

    std::unique_ptr<TStatusView> FStatus;
    int32_t FMCUIndex = 0;
    std::unique_ptr<TSubjectObserver> FSubscriber;
    IntfPtr<ILoadingViewInterface> FView;
    IntfPtr<ILoaderInterface> FLoader;
    // Runs CheckIdleLine while connected.
    std::unique_ptr<QTimer> FIdleLineCheck;
    bool FBusy = false;
    bool FLogFailureShown = false;
    // The running operation was logged; its failure was shown.
    bool FLogged = false;
    bool FFailureShown = false;
};

} // namespace morlith
