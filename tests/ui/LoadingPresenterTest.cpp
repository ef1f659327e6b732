// SPDX-License-Identifier: MIT
// The Loading page's presenter over a stand-in engine, for what a virtual module cannot bring
// about (a busy port, a file the test's user may still read, a stop request, a log that cannot be
// written): the page takes no further step, logs the operation before it tells the operator under
// the operation's title, and shows the connection as the loader reports it. The failures a module
// can cause are FaultPageTest's.

#include "UiWorld.h"

#include "ConfigurationU.h"
#include "CountDown.h"
#include "Loading.h"
#include "LoadingViewPresenter.h"
#include "ProgressU.h"

#include <QPushButton>

#include <utility>

using namespace morlith;

namespace {

// A loader whose connection the operations make and lose, and operations whose step `failAt`
// fails with `failure`; `steps` tells what the last operation took.
class FakeEngine : public TNonCountedObject, public ILoaderInterface, public IOperationsInterface {
public:
    std::string failAt, steps;
    TFailure failure;
    bool connected = false;
    // The boxes the operator had seen when the last operation was finished.
    size_t boxesAtFinish = 0;
    const FakeDialogs *dialogs = nullptr;

    bool Connect(int32_t) override { return false; }
    bool SelectMCU(int32_t, uint8_t) override { return false; }
    bool Disconnect() override { return !(connected = false); }
    bool GetConnected() override { return connected; }
    bool CheckConnection() override { return connected; }
    int32_t GetProgress() override { return 0; }
    TFailure GetLastFailure() override { return {}; }
    IntfPtr<IOperationInterface> Begin(TOperationKind Kind, uint8_t Controller) override;
    std::string SignatureNote(const std::string &) override { return ""; }
    bool HoldsPackage(const std::array<uint16_t, 4> &, const std::string &) override { return false; }

    // Takes step `name`; false (a hang-up losing the line) when it is the failing one.
    bool Take(const std::string &name)
    {
        steps += " " + name;
        if (failAt.empty() || name.rfind(failAt, 0) != 0)
            return true;
        connected = connected && failure.Kind != TFailureKind::fkHangUp;
        return false;
    }
};

class FakeOperation : public TInterfacedObject, public IOperationInterface {
public:
    explicit FakeOperation(FakeEngine &engine) : FEngine(engine) {}
    bool ReadInput(const std::string &) override { return Step("ReadInput"); }
    bool Connect(int32_t Port) override
    {
        return Step("Connect(" + std::to_string(Port) + ")") && (FEngine.connected = true);
    }
    bool Perform() override { return Step("Perform"); }
    bool ReadParameterBlock(std::array<uint16_t, 4> &) override { return Step("Block"); }
    bool Skipped() override { return false; }
    bool SaveData(const std::string &) override { return Step("SaveData"); }
    void SetOutputLabel(const std::string &) override { FEngine.Take("Label"); }
    TFailure Failure() override { return FFailure; }
    bool Finish(TFailure &LogFailure) override
    {
        if (std::exchange(FFinished, true)) // once only has an effect
            return true;
        FEngine.boxesAtFinish = FEngine.dialogs->failures.size();
        if (FEngine.Take("Finish"))
            return true;
        LogFailure = FEngine.failure;
        return false;
    }

private:
    bool Step(const std::string &name) { return FEngine.Take(name) || (FFailure = FEngine.failure, false); }

    FakeEngine &FEngine;
    TFailure FFailure;
    bool FFinished = false;
};

IntfPtr<IOperationInterface> FakeEngine::Begin(TOperationKind Kind, uint8_t Controller)
{
    steps = std::string(OperationCommand(Kind)) + "@" + std::to_string(Controller) + ":";
    return IntfPtr<IOperationInterface>(new FakeOperation(*this));
}

using LoadingPresenterTest = UiWorld;

TEST_F(LoadingPresenterTest, EachFailingStepIsToldUnderItsOperationOnceLoggedOnAUsablePage)
{
    FakeEngine engine;
    engine.dialogs = &dialogs;
    IntfPtr<TConfiguration> configuration(new TConfiguration);
    configuration->SetPort(2); // COM3
    TProgressDlg progress;
    TCountDownDlg countDown;
    ProgressDlg = &progress;
    CountDownDlg = &countDown;
    TdlgLoading page(nullptr);
    page.SetPresenter(IntfPtr<ILoadingViewPresenterInterface>(
        new TLoadingViewPresenter(&page, &engine, &engine, configuration.get())));
    page.show();
    const auto button = [&](const char *name) { return page.findChild<QPushButton *>(name); };
    const auto press = [&](const char *name) {
        ASSERT_TRUE(button(name)->isEnabled()) << name;
        button(name)->click();
    };

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
        {"btnConnect", "", TFailureKind::fkNone, "connect@0: Connect(3) Block Finish", "", false, true},
        {"btnConnect", "Connect", TFailureKind::fkBusy, "connect@0: Connect(3) Finish", "Connect error", false, false},
        // What the controller holds is read once connected; a stop there is told as the connect's.
        {"btnConnect", "Block", TFailureKind::fkStopped, "connect@0: Connect(3) Block Finish", "Connect error", false, true},
        {"btnWriteApp", "Perform", TFailureKind::fkStopped, "write-app@0: ReadInput Perform Finish", "Write error", true, true},
        // A file that cannot be read is told before the overlay comes.
        {"btnWriteData", "ReadInput", TFailureKind::fkPermission, "write-dseg@0: ReadInput Finish", "Write error", false, true},
        {"btnWriteData", "Perform", TFailureKind::fkStopped, "write-dseg@0: ReadInput Perform Finish", "Write error", true, true},
        // The work was done, its record is lost: the operator is told that.
        {"btnWriteData", "Finish", TFailureKind::fkFile, "write-dseg@0: ReadInput Perform Finish", "Log error", false, true},
    };
    dialogs.files = {"app.xml", "d.bin"};
    press("btnConnect");
    press("btnOpenAppFile");
    press("btnOpenDataFile");
    for (const Row &row : rows) {
        SCOPED_TRACE(std::string(row.button) + " failing at " + row.failAt);
        // A connect starts disconnected, the others connected.
        engine.failAt.clear();
        const bool connects = std::string(row.button) == "btnConnect";
        if (engine.connected == connects)
            press(connects ? "btnDisconnect" : "btnConnect");
        dialogs.failures.clear();
        dialogs.errors.clear();
        engine.failAt = row.failAt;
        engine.failure = MakeFailure(row.kind, "stand-in");
        press(row.button);

        EXPECT_EQ(engine.steps, row.steps);
        EXPECT_EQ(engine.boxesAtFinish, 0u) << "logged before the operator is told";
        ASSERT_EQ(dialogs.failures.size(), *row.title ? 1u : 0u);
        if (*row.title) {
            EXPECT_EQ(dialogs.failures[0].first, row.title);
            EXPECT_EQ(dialogs.failures[0].second.Kind, row.kind) << dialogs.failures[0].second;
            EXPECT_EQ(dialogs.errors[0].overlayVisible, row.underOverlay);
        }
        EXPECT_FALSE(OverlayShown() || progress.isVisible() || countDown.isVisible());
        EXPECT_EQ(button("btnDisconnect")->isEnabled(), row.connected);
        EXPECT_EQ(button("btnConnect")->isEnabled(), !row.connected);
    }
}

} // namespace
