#pragma once
// TLoadingViewPresenter: the logic of the Loading page. It keeps the page's state, runs the
// loader's operations and shows their progress, failures and questions.

#include "LoaderIntf.h"
#include "LoadingViewIntf.h"
#include "LoadingViewPresenterIntf.h"

#include <functional>
#include <memory>

class QTimer;

namespace morlith {

class TLoggedOperation;
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
    using TFileOperation = bool (ILoaderInterface::*)(const std::string &FileName);

    void ProgressChanged();
    void RefreshConnected();
    // Between operations: a port that went away leaves the page disconnected.
    void CheckIdleLine();
    void ChooseFile(const TFileFilter &Filter, std::string TStatusView::*Target,
                    void (ILoadingViewInterface::*Show)(const std::string &));
    void RunDataSegmentOperation(TFileOperation Operation, const char *FailureText, const char *Command);
    void ShowFailure(const char *Title);
    // Runs `Operation` (`Command` on `FileName`) marked busy and logs it; an exception out of it
    // is shown under `FailureTitle` once the operation's dialogs are gone. The page then shows
    // whether the port is still connected.
    void RunReportingErrors(const char *FailureTitle, const char *Command, const std::string &FileName,
                            const std::function<void()> &Operation);
    // Appends the operation's record to the operations log, unless done; tells the operator once
    // when the log cannot be written.
    void FinishLogged(TLoggedOperation &Logged, const TFailure &Failure);

    std::unique_ptr<TStatusView> FStatus;
    int32_t FMCUIndex = 0;
    std::unique_ptr<TSubjectObserver> FSubscriber;
    IntfPtr<ILoadingViewInterface> FView;
    IntfPtr<ILoaderInterface> FLoader;
    // Runs CheckIdleLine while connected.
    std::unique_ptr<QTimer> FIdleLineCheck;
    bool FBusy = false;
    bool FLogFailureShown = false;
    // The operation being logged, while one runs.
    TLoggedOperation *FLogged = nullptr;
};

} // namespace morlith
