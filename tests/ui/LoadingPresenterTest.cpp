// SPDX-License-Identifier: MIT
// The Loading page's presenter over a stand-in engine: whichever step of an operation fails, with
// whichever kind, the page takes no further step, ends and logs the operation before it tells the
// operator under the operation's title, and shows the connection as the loader reports it.

#include "UiWorld.h"

#include "ConfigurationU.h"
#include "CountDown.h"
#include "Loading.h"
#include "LoadingViewPresenter.h"
#include "ProgressU.h"

#include <QComboBox>
#include <QPushButton>

#include <utility>

using namespace morlith;

namespace {

// The engine the presenter is handed: a loader whose connection the operations make and lose,
// and operations whose step `failAt` fails with `failure`. Everything taken is written to `steps`.
class FakeEngine : public TNonCountedObject, public ILoaderInterface, public IOperationsInterface {
public:
    std::string failAt;
    TFailure failure;
    bool connected = false;
    std::string steps;
    // How many boxes the operator had seen when the last operation was finished.
    size_t boxesAtFinish = 0;
    const FakeDialogs *dialogs = nullptr;

    // ILoaderInterface: the connection only; writes and reads come as operations.
    bool Connect(int32_t) override { return false; }
    bool SelectMCU(int32_t, uint8_t) override { return false; }
    bool Disconnect() override
    {
        connected = false;
        return true;
    }
    bool GetConnected() override { return connected; }
    bool CheckConnection() override { return connected; }
    int32_t GetProgress() override { return 0; }
    TFailure GetLastFailure() override { return {}; }

    IntfPtr<IOperationInterface> Begin(TOperationKind Kind, uint8_t Controller) override;

    // Takes step `name`; false (and a lost line for a hang-up) when it is the failing one.
    bool Take(const std::string &name)
    {
        steps += " " + name;
        if (name.rfind(failAt, 0) != 0 || failAt.empty())
            return true;
        if (failure.Kind == TFailureKind::fkHangUp)
            connected = false;
        return false;
    }
};

class FakeOperation : public TInterfacedObject, public IOperationInterface {
public:
    explicit FakeOperation(FakeEngine &engine) : FEngine(engine) {}

    bool ReadInput(const std::string &) override { return Step("ReadInput"); }
    bool Connect(int32_t PortNumber) override
    {
        if (!Step("Connect(" + std::to_string(PortNumber) + ")"))
            return false;
        FEngine.connected = true;
        return true;
    }
    bool Perform() override { return Step("Perform"); }
    bool SaveData(const std::string &) override { return Step("SaveData"); }
    void SetOutputLabel(const std::string &) override { FEngine.Take("Label"); }
    bool Finish(TFailure &LogFailure) override
    {
        // Once only has an effect.
        if (std::exchange(FFinished, true))
            return true;
        FEngine.boxesAtFinish = FEngine.dialogs->failures.size();
        if (FEngine.Take("Finish"))
            return true;
        LogFailure = FEngine.failure;
        return false;
    }
    TFailure Failure() override { return FFailure; }

private:
    bool Step(const std::string &name)
    {
        if (FEngine.Take(name))
            return true;
        FFailure = FEngine.failure;
        return false;
    }

    FakeEngine &FEngine;
    TFailure FFailure;
    bool FFinished = false;
};

IntfPtr<IOperationInterface> FakeEngine::Begin(TOperationKind Kind, uint8_t Controller)
{
    steps = std::string(OperationCommand(Kind)) + "@" + std::to_string(Controller) + ":";
    return IntfPtr<IOperationInterface>(new FakeOperation(*this));
}

// The Loading page alone, with its presenter over the fake engine and the configured port COM3.
class LoadingPresenterTest : public UiWorld {
protected:
    LoadingPresenterTest()
    {
        engine.dialogs = &dialogs;
        IntfPtr<TConfiguration> configuration(new TConfiguration);
        configuration->SetPort(2);
        FLoadingPage = std::make_unique<TdlgLoading>(nullptr);
        FLoadingPage->SetPresenter(IntfPtr<ILoadingViewPresenterInterface>(
            new TLoadingViewPresenter(Page(), &engine, &engine, configuration.get())));
        FLoadingPage->show();
        ProgressDlg = FProgress.get();
        CountDownDlg = FCountDown.get();
    }
    ~LoadingPresenterTest() override
    {
        FLoadingPage.reset();
        ProgressDlg = nullptr;
        CountDownDlg = nullptr;
    }
    TdlgLoading *Page() { return FLoadingPage.get(); }
    QPushButton *Button(const char *name)
    {
        return Page()->findChild<QPushButton *>(QString::fromLatin1(name));
    }
    void Press(const char *name)
    {
        ASSERT_TRUE(Button(name)->isEnabled()) << name;
        Button(name)->click();
    }

    FakeEngine engine;

private:
    std::unique_ptr<TProgressDlg> FProgress = std::make_unique<TProgressDlg>();
    std::unique_ptr<TCountDownDlg> FCountDown = std::make_unique<TCountDownDlg>();
    std::unique_ptr<TdlgLoading> FLoadingPage;
};

TEST_F(LoadingPresenterTest, EachFailingStepIsToldUnderItsOperationOnceLoggedAndLeavesAUsablePage)
{
    struct Row {
        const char *button;
        const char *failAt; // the step that fails; "" for none
        TFailureKind kind;
        const char *steps;  // the steps the page took
        const char *title;  // the box the operator sees; "" for none
        bool underOverlay;  // the box came while the overlay was up
        bool connected;     // the page shows a connection afterwards
    };
    const Row rows[] = {
        {"btnConnect", "", TFailureKind::fkNone, "connect@0: Connect(3) Finish", "", false, true},
        {"btnConnect", "Connect", TFailureKind::fkNotFound, "connect@0: Connect(3) Finish",
         "Connect error", false, false},
        {"btnConnect", "Connect", TFailureKind::fkBusy, "connect@0: Connect(3) Finish",
         "Connect error", false, false},
        {"btnWriteApp", "ReadInput", TFailureKind::fkRefusedInput, "write-app@0: ReadInput Finish",
         "Write error", true, true},
        {"btnWriteApp", "Perform", TFailureKind::fkNoReply,
         "write-app@0: ReadInput Perform Finish", "Write error", true, true},
        {"btnWriteApp", "Perform", TFailureKind::fkHangUp, "write-app@0: ReadInput Perform Finish",
         "Write error", true, false},
        {"btnReadData", "", TFailureKind::fkNone, "read-dseg@0: Label Perform SaveData Finish", "",
         false, true},
        {"btnReadData", "Perform", TFailureKind::fkBadReply, "read-dseg@0: Label Perform Finish",
         "Read error", true, true},
        // A file that cannot be written is told on a usable page, not under the overlay.
        {"btnReadData", "SaveData", TFailureKind::fkFile,
         "read-dseg@0: Label Perform SaveData Finish", "Read error", false, true},
        // A file that cannot be read is told before the overlay comes.
        {"btnWriteData", "ReadInput", TFailureKind::fkPermission, "write-dseg@0: ReadInput Finish",
         "Write error", false, true},
        {"btnWriteData", "Perform", TFailureKind::fkStopped,
         "write-dseg@0: ReadInput Perform Finish", "Write error", true, true},
        // The work was done, its record is lost: the operator is told that.
        {"btnWriteData", "Finish", TFailureKind::fkFile, "write-dseg@0: ReadInput Perform Finish",
         "Log error", false, true},
    };
    dialogs.files = {"app.xml", "d.bin"};
    Press("btnConnect");
    Press("btnOpenAppFile");
    Press("btnOpenDataFile");
    for (const Row &row : rows) {
        SCOPED_TRACE(std::string(row.button) + " failing at " + row.failAt);
        // A connect starts disconnected, the others connected.
        engine.failAt.clear();
        const bool connects = std::string(row.button) == "btnConnect";
        if (engine.connected == connects)
            Press(connects ? "btnDisconnect" : "btnConnect");
        dialogs.failures.clear();
        dialogs.errors.clear();
        engine.failAt = row.failAt;
        engine.failure = MakeFailure(row.kind, "stand-in");
        Press(row.button);

        EXPECT_EQ(engine.steps, row.steps);
        EXPECT_EQ(engine.boxesAtFinish, 0u) << "logged before the operator is told";
        if (*row.title) {
            ASSERT_EQ(dialogs.failures.size(), 1u);
            EXPECT_EQ(dialogs.failures[0].first, row.title);
            EXPECT_EQ(dialogs.failures[0].second.Kind, row.kind) << dialogs.failures[0].second;
            EXPECT_EQ(dialogs.errors[0].overlayVisible, row.underOverlay);
        } else {
            EXPECT_TRUE(dialogs.failures.empty()) << dialogs.failures[0].second;
        }
        EXPECT_FALSE(OverlayShown());
        EXPECT_FALSE(ProgressDlg->isVisible());
        EXPECT_FALSE(CountDownDlg->isVisible());
        EXPECT_EQ(Button("btnDisconnect")->isEnabled(), row.connected);
        EXPECT_EQ(Button("btnConnect")->isEnabled(), !row.connected);
    }
}

TEST_F(LoadingPresenterTest, ALostLogIsToldOnceARunAndTheSlaveChosenIsTheOneRun)
{
    engine.failAt = "Finish";
    engine.failure = MakeFailure(TFailureKind::fkPermission, "stand-in");
    Pick(Page()->findChild<QComboBox *>("cbMCU"), 2);
    Press("btnConnect");
    Press("btnDisconnect");
    Press("btnConnect");
    EXPECT_EQ(engine.steps, "connect@2: Connect(3) Finish");
    ASSERT_EQ(dialogs.failures.size(), 1u);
    EXPECT_EQ(dialogs.failures[0].first, "Log error");
    EXPECT_EQ(dialogs.failures[0].second.Kind, TFailureKind::fkPermission);
}

} // namespace
