// SPDX-License-Identifier: MIT
#include "LoadingViewPresenter.h"

#include "CountDown.h"
#include "DialogsIntf.h"
#include "Eclipse.h"
#include "InputBlock.h"
#include "Loader.h"
#include "NumberText.h"
#include "ModelU.h"
#include "Observer.h"
#include "PaceClock.h"
#include "PathText.h"
#include "ProgressU.h"

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
const char *const kHoldsNothing = QT_TRANSLATE_NOOP("morlith::TLoadingViewPresenter", "Holds no application");
const char *const kHoldsImage = QT_TRANSLATE_NOOP("morlith::TLoadingViewPresenter", "Holds %1 bytes, CRC %2");
const char *const kHoldsWritten = QT_TRANSLATE_NOOP("morlith::TLoadingViewPresenter", "Holds the chosen package");
const char *const kChosenPackage = QT_TRANSLATE_NOOP("morlith::TLoadingViewPresenter", "the chosen package");
const char *const kAlreadyCurrent =
    QT_TRANSLATE_NOOP("morlith::TLoadingViewPresenter", "already current, nothing written");
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

} // namespace

TLoadingViewPresenter::TLoadingViewPresenter(ILoadingViewInterface *View, ILoaderInterface *Loader,
                                             IOperationsInterface *Operations,
                                             IConfigurationInterface *Configuration)
    : FSubscriber(std::make_unique<TSubjectObserver>()), FView(View), FLoader(Loader),
      FOperations(Operations), FConfiguration(Configuration),
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
    FOperations.reset();
    FLoader.reset();
    FConfiguration.reset();
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
    RunOperation(kConnectError, TOperationKind::okConnect, [&](IOperationInterface &Operation) {
        PaceClock().Sleep(kConnectPauseMs);
        FHeldBlock.reset();
        FWroteChosen = FSkippedChosen = false;
        // The page says what the controller holds from the moment it is connected.
        std::array<uint16_t, 4> block{};
        if (Operation.Connect(ConfiguredPortNumber()) && Operation.ReadParameterBlock(block))
            FHeldBlock = block;
    });
}

int32_t TLoadingViewPresenter::ConfiguredPortNumber()
{
    return (FConfiguration ? FConfiguration->GetPort() : 0) + 1;
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
    FStatus->Holding = HoldingText();
    FView->UpdateView(*FStatus);
    if (!FStatus->Connected)
        FIdleLineCheck->stop();
    else if (!FIdleLineCheck->isActive())
        FIdleLineCheck->start();
}

std::string TLoadingViewPresenter::HoldingText()
{
    if (!FStatus->Connected)
        return "";
    const std::string separator = "  \u2014  ";
    if (FWroteChosen)
        return Tr(kHoldsWritten);
    if (!FHeldBlock)
        return "";
    const std::array<uint16_t, 4> &block = *FHeldBlock;
    std::string text = block[0] == 0 ? Tr(kHoldsNothing)
                                     : QCoreApplication::translate("morlith::TLoadingViewPresenter", kHoldsImage)
                                           .arg(QString::fromStdString(GroupThousands(block[0])),
                                                QString::fromStdString(Hex16(block[1])))
                                           .toStdString();
    if (!FStatus->AppFileName.empty() && FOperations && FOperations->HoldsPackage(block, FStatus->AppFileName))
        text += separator + Tr(kChosenPackage);
    if (FSkippedChosen)
        text += separator + Tr(kAlreadyCurrent);
    return text;
}

void TLoadingViewPresenter::CheckIdleLine()
{
    // During an operation the operation itself notices a lost port.
    if (!FBusy && FStatus->Connected && !FLoader->CheckConnection())
        RefreshConnected();
}

void TLoadingViewPresenter::OpenAppFile()
{
    const std::string before = FStatus->AppFileName;
    ChooseFile(kAppFileFilter, &TStatusView::AppFileName, &ILoadingViewInterface::SetAppFileName);
    if (FStatus->AppFileName != before) {
        FWroteChosen = FSkippedChosen = false;
        RefreshConnected();
    }
    // With trusted keys the package's signer stands beside it, or why a write would refuse it.
    if (FStatus->AppFileName.empty() || !FOperations)
        return;
    const std::string note = FOperations->SignatureNote(FStatus->AppFileName);
    if (!note.empty())
        FView->SetAppFileName(FStatus->AppFileName + "  \u2014  " + note);
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
    RunOperation(kWriteError, TOperationKind::okWriteApplication, [&](IOperationInterface &Operation) {
        TOverlayScope overlay;
        TProgressScope progress;
        // A failure is told while the progress dialog still shows where the write stopped.
        const bool written = Operation.ReadInput(fileName) && Operation.Perform();
        // A write, even one that failed part-way, changes what the controller holds.
        FSkippedChosen = written && Operation.Skipped();
        FWroteChosen = written && !FSkippedChosen;
        if (!FSkippedChosen)
            FHeldBlock.reset();
        if (!written)
            ShowFailure(kWriteError, Operation);
    });
}

void TLoadingViewPresenter::ReadData()
{
    if (FBusy)
        return;
    const std::string fileName = FStatus->DataFileName;
    if (FileExists(fileName) && !Dialogs().Confirm(Tr(kOverwriteQuestion)))
        return;
    RunOperation(kReadError, TOperationKind::okReadDataSegment, [&](IOperationInterface &Operation) {
        Operation.SetOutputLabel(fileName);
        {
            TOverlayScope overlay;
            TCountDownScope countDown;
            if (!Operation.Perform()) {
                ShowFailure(kReadError, Operation);
                return;
            }
        }
        // A file that cannot be written is told on a usable page, once the overlay is gone.
        (void)Operation.SaveData(fileName);
    });
}

void TLoadingViewPresenter::WriteData()
{
    if (FBusy)
        return;
    const std::string fileName = FStatus->DataFileName;
    RunOperation(kWriteError, TOperationKind::okWriteDataSegment, [&](IOperationInterface &Operation) {
        // A file that cannot be read is told before the overlay comes.
        if (!Operation.ReadInput(fileName))
            return;
        TOverlayScope overlay;
        TCountDownScope countDown;
        if (!Operation.Perform())
            ShowFailure(kWriteError, Operation);
    });
}

void TLoadingViewPresenter::ShowFailure(const char *Title, IOperationInterface &Operation)
{
    // The record is written when the operation ends, not when the operator closes the message.
    EndOperation(Operation);
    Dialogs().ShowFailure(Tr(Title), Operation.Failure());
    FFailureShown = true;
}

void TLoadingViewPresenter::EndOperation(IOperationInterface &Operation)
{
    TFailure logFailure;
    if (Operation.Finish(logFailure))
        return;
    // A log that cannot be written is told once a run: the operator must know records are lost.
    if (!FLogFailureShown) {
        FLogFailureShown = true;
        Dialogs().ShowFailure(Tr(kLogError), logFailure);
    }
}

void TLoadingViewPresenter::RunOperation(const char *FailureTitle, TOperationKind Kind,
                                         const std::function<void(IOperationInterface &)> &Steps)
{
    if (!FOperations)
        return;
    TBusyScope busy(FBusy);
    TOperationInputScope input;
    const IntfPtr<IOperationInterface> operation =
        FOperations->Begin(Kind, static_cast<uint8_t>(FMCUIndex));
    FFailureShown = false;
    Steps(*operation);
    EndOperation(*operation);
    // A port that went away during the operation leaves the page disconnected.
    RefreshConnected();
    // The operator is always told why: a missing permission and a missing module look alike
    // otherwise.
    const TFailure failure = operation->Failure();
    if (failure.Failed() && !FFailureShown)
        Dialogs().ShowFailure(Tr(FailureTitle), failure);
}

void TLoadingViewPresenter::ProgressChanged()
{
    if (ProgressDlg)
        ProgressDlg->SetProgress(FLoader->GetProgress());
}

} // namespace morlith
