// SPDX-License-Identifier: MIT
#include "LoadingViewPresenter.h"

#include "PathText.h"

#include "ConfigurationU.h"
#include "CountDown.h"
#include "DialogsIntf.h"
#include "Eclipse.h"
#include "InputBlock.h"
#include "Loader.h"
#include "OperationRunner.h"
#include "ProductionLog.h"
#include "ModelU.h"
#include "Observer.h"
#include "PathText.h"
#include "PaceClock.h"
#include "ProgressU.h"
#include "ComPortProgrammator.h"

#include <QCoreApplication>
#include <QTimer>

#include <filesystem>

namespace morlith {
namespace {

const char *const kWriteError = QT_TRANSLATE_NOOP("morlith::TLoadingViewPresenter", "Write error");
const char *const kReadError = QT_TRANSLATE_NOOP("morlith::TLoadingViewPresenter", "Read error");
const char *const kConnectError =
    QT_TRANSLATE_NOOP("morlith::TLoadingViewPresenter", "Connect error");
const char *const kLogError = QT_TRANSLATE_NOOP("morlith::TLoadingViewPresenter", "Log error");
// The name the window signs its log records with.
constexpr const char *kGuiToolName = "morlith";
const char *const kOverwriteQuestion =
    QT_TRANSLATE_NOOP("morlith::TLoadingViewPresenter", "File exists.  Overwrite?");
// Opacity of the dimming overlay during an operation (0..255).
constexpr uint8_t kOverlayAlphaBlend = 100;

// Marks the presenter busy for the length of an operation.
class TBusyScope {
public:
    explicit TBusyScope(bool &Busy) : FBusy(Busy) { FBusy = true; }
    ~TBusyScope() { FBusy = false; }
    TBusyScope(const TBusyScope &) = delete;
    TBusyScope &operator=(const TBusyScope &) = delete;

private:
    bool &FBusy;
};

// The dimming overlay over the screen; destroying it removes it.
class TOverlayScope {
public:
    TOverlayScope()
    {
        FEclipse.SetAlphaBlend(kOverlayAlphaBlend);
        FEclipse.SetActive(true);
    }

private:
    TEclipse FEclipse;
};

// The progress dialog, shown from 0 and hidden again on the way out.
class TProgressScope {
public:
    TProgressScope()
    {
        if (!ProgressDlg)
            return;
        ProgressDlg->show();
        ProgressDlg->SetProgress(0);
    }
    ~TProgressScope()
    {
        if (ProgressDlg)
            ProgressDlg->hide();
    }
    TProgressScope(const TProgressScope &) = delete;
    TProgressScope &operator=(const TProgressScope &) = delete;
};

// Keeps keys and clicks away from the windows under an operation (the main window with its pages)
// while it runs, and drops those typed meanwhile; the operation's own dialogs and message boxes,
// shown later, take theirs.
class TOperationInputScope {
public:
    TOperationInputScope()
        : FBlock(TInputBlock::VisibleWindows(), TInputBlock::TQueuedInput::Drop)
    {
    }

private:
    TInputBlock FBlock;
};

// The countdown run before a data-segment operation, stopped and hidden on the way out.
class TCountDownScope {
public:
    TCountDownScope()
    {
        if (CountDownDlg)
            CountDownDlg->StartCountDown();
    }
    ~TCountDownScope()
    {
        if (CountDownDlg)
            CountDownDlg->StopCountDown();
    }
    TCountDownScope(const TCountDownScope &) = delete;
    TCountDownScope &operator=(const TCountDownScope &) = delete;
};

// `Text` in the user's language.
std::string Tr(const char *Text)
{
    return QCoreApplication::translate("morlith::TLoadingViewPresenter", Text).toStdString();
}

// Whether a file of the UTF-8 name `FileName` exists (through the wide name on Windows, so a
// name outside the system's code page is still found).
bool FileExists(const std::string &FileName)
{
    std::error_code error;
    return std::filesystem::exists(PathFromUtf8(FileName), error);
}

// The configured port's number: the Options list's index plus one ("COM1" is index 0).
int32_t ConfiguredPortNumber()
{
    const int32_t index = ModelDM && ModelDM->Configuration ? ModelDM->Configuration->GetPort() : 0;
    return index + 1;
}

} // namespace

TLoadingViewPresenter::TLoadingViewPresenter(ILoadingViewInterface *View, ILoaderInterface *Loader)
    : FSubscriber(std::make_unique<TSubjectObserver>()), FView(View), FLoader(Loader),
      FIdleLineCheck(std::make_unique<QTimer>())
{
    FSubscriber->OnNotify = [this](TObserver *) { ProgressChanged(); };
    FIdleLineCheck->setInterval(kIdleLineCheckMs);
    QObject::connect(FIdleLineCheck.get(), &QTimer::timeout, [this] { CheckIdleLine(); });
    if (ModelDM && ModelDM->Loader)
        ModelDM->Loader->Observer().Attach(FSubscriber.get());
    FStatus = std::make_unique<TStatusView>();
    FView->UpdateView(*FStatus);
}

TLoadingViewPresenter::~TLoadingViewPresenter()
{
    FIdleLineCheck.reset();
    FStatus.reset();
    FSubscriber.reset();
    FView.reset();
    FLoader.reset();
}

void TLoadingViewPresenter::SetMCUIndex(int32_t Index)
{
    if (!FBusy)
        FMCUIndex = Index;
}

void TLoadingViewPresenter::Connect()
{
    if (FBusy)
        return;
    RunOperation(kConnectError, TOperationKind::okConnect, [&](TOperationRunner &Runner) {
        PaceClock().Sleep(kConnectPauseMs);
        (void)Runner.Connect(ConfiguredPortNumber());
    });
}

void TLoadingViewPresenter::Disconnect()
{
    if (FBusy)
        return;
    (void)FLoader->Disconnect();
    RefreshConnected();
}

void TLoadingViewPresenter::RefreshConnected()
{
    FStatus->Connected = FLoader->GetConnected();
    FView->UpdateView(*FStatus);
    if (!FStatus->Connected)
        FIdleLineCheck->stop();
    else if (!FIdleLineCheck->isActive())
        FIdleLineCheck->start();
}

void TLoadingViewPresenter::CheckIdleLine()
{
    // During an operation the operation itself notices a lost port.
    if (!FBusy && FStatus->Connected && !FLoader->CheckConnection())
        RefreshConnected();
}

namespace {

// The keys the configuration trusts; a key file that cannot be read is the failure.
TFailure ConfiguredTrustedKeys(TTrustedKeys &Keys)
{
    if (!ModelDM || !ModelDM->Configuration)
        return TFailure{};
    return AddTrustedKeyFiles(ModelDM->Configuration->Config().TrustedKeyFiles(), Keys);
}

} // namespace

void TLoadingViewPresenter::OpenAppFile()
{
    ChooseFile(kAppFileFilter, &TStatusView::AppFileName, &ILoadingViewInterface::SetAppFileName);
    // With trusted keys the package's signer stands beside it, or why a write would refuse it.
    TTrustedKeys keys;
    if (FStatus->AppFileName.empty() || (ConfiguredTrustedKeys(keys).Failed() || keys.Empty()))
        return;
    const TSignatureCheck check = keys.Check(FStatus->AppFileName);
    FView->SetAppFileName(FStatus->AppFileName + "  \u2014  " +
                          (check.Accepted() ? "signed by " + check.KeyId : check.Failure.Detail));
}

void TLoadingViewPresenter::OpenDataFile()
{
    ChooseFile(kDataFileFilter, &TStatusView::DataFileName,
               &ILoadingViewInterface::SetDataFileName);
}

void TLoadingViewPresenter::ChooseFile(const TFileFilter &Filter, std::string TStatusView::*Target,
                                       void (ILoadingViewInterface::*Show)(const std::string &))
{
    if (FBusy)
        return;
    TBusyScope busy(FBusy);
    const std::optional<std::string> chosen = Dialogs().OpenFile(Filter);
    if (!chosen)
        return;
    (*FStatus).*Target = *chosen;
    (FView.get()->*Show)(*chosen);
    FView->UpdateView(*FStatus);
}

void TLoadingViewPresenter::WriteApp()
{
    if (FBusy)
        return;
    const std::string fileName = FStatus->AppFileName;
    RunOperation(kWriteError, TOperationKind::okWriteApplication, [&](TOperationRunner &Runner) {
        TOverlayScope overlay;
        TProgressScope progress;
        // A failure is told while the progress dialog still shows where the write stopped.
        if (!(Runner.ReadInput(fileName) && Runner.Perform()))
            ShowFailure(kWriteError, Runner);
    });
}

void TLoadingViewPresenter::ReadData()
{
    if (FBusy)
        return;
    const std::string fileName = FStatus->DataFileName;
    if (FileExists(fileName) && !Dialogs().Confirm(Tr(kOverwriteQuestion)))
        return;
    RunOperation(kReadError, TOperationKind::okReadDataSegment, [&](TOperationRunner &Runner) {
        Runner.SetOutputLabel(fileName);
        {
            TOverlayScope overlay;
            TCountDownScope countDown;
            if (!Runner.Perform()) {
                ShowFailure(kReadError, Runner);
                return;
            }
        }
        // A file that cannot be written is told on a usable page, once the overlay is gone.
        (void)Runner.SaveData(fileName, TExistingFile::efReplace);
    });
}

void TLoadingViewPresenter::WriteData()
{
    if (FBusy)
        return;
    const std::string fileName = FStatus->DataFileName;
    RunOperation(kWriteError, TOperationKind::okWriteDataSegment, [&](TOperationRunner &Runner) {
        // A file that cannot be read is told before the overlay comes.
        if (!Runner.ReadInput(fileName))
            return;
        TOverlayScope overlay;
        TCountDownScope countDown;
        if (!Runner.Perform())
            ShowFailure(kWriteError, Runner);
    });
}

void TLoadingViewPresenter::ShowFailure(const char *Title, TOperationRunner &Runner)
{
    // The record is written when the operation ends, not when the operator closes the message.
    EndOperation(Runner);
    Dialogs().ShowFailure(Tr(Title), Runner.Failure());
    FFailureShown = true;
}

void TLoadingViewPresenter::EndOperation(TOperationRunner &Runner)
{
    if (FLogged)
        return;
    FLogged = true;
    Runner.Conclude();
    if (!ModelDM)
        return;
    TFailure logFailure;
    TProductionLog *log = ModelDM->OperationsLog(logFailure);
    TOperationRecord record = Runner.Record(kGuiToolName, ModelDM->CurrentPortName());
    if (ModelDM->Configuration) {
        const TConfig &settings = ModelDM->Configuration->Config();
        record.Station = settings.Station();
        record.Operator = settings.Operator();
        record.Lot = settings.Lot();
    }
    if (log && log->Append(OperationRecordLine(record), logFailure))
        return;
    // A log that cannot be written is told once a run: the operator must know records are lost.
    if (!FLogFailureShown) {
        FLogFailureShown = true;
        Dialogs().ShowFailure(Tr(kLogError), logFailure);
    }
}

void TLoadingViewPresenter::RunOperation(const char *FailureTitle, TOperationKind Kind,
                                         const std::function<void(TOperationRunner &)> &Operation)
{
    if (!ModelDM || !ModelDM->Programmator)
        return;
    TBusyScope busy(FBusy);
    TOperationInputScope input;
    TOperationRunner runner(*ModelDM->Programmator, Kind, static_cast<uint8_t>(FMCUIndex));
    FLogged = false;
    FFailureShown = false;
    // Files are sent only with a signature by a trusted key, when the configuration names keys.
    TTrustedKeys keys;
    const TFailure keyFailure = ConfiguredTrustedKeys(keys);
    runner.SetTrustedKeys(&keys);
    const bool writes = Kind == TOperationKind::okWriteApplication || Kind == TOperationKind::okWriteDataSegment;
    if (writes && keyFailure.Failed())
        (void)runner.Fail(keyFailure);
    else
        Operation(runner);
    EndOperation(runner);
    // A port that went away during the operation leaves the page disconnected.
    RefreshConnected();
    // The operator is always told why: a missing permission and a missing module look alike
    // otherwise.
    if (!runner.Succeeded() && !FFailureShown)
        Dialogs().ShowFailure(Tr(FailureTitle), runner.Failure());
}

void TLoadingViewPresenter::ProgressChanged()
{
    if (ProgressDlg)
        ProgressDlg->SetProgress(FLoader->GetProgress());
}

} // namespace morlith
