// The Loading page: connecting to the chosen controller and choosing files.

#include "UiWorld.h"

#include "ComPortProgrammator.h"
#include "DialogsIntf.h"
#include "LoadingViewPresenter.h"
#include "ModelU.h"

#include <QLineEdit>
#include <QPushButton>

using namespace morlith;

namespace {

class LoadingPageTest : public UiWorld {
protected:
    bool Enabled(const char *name) { return Find<QWidget>(name)->isEnabled(); }
    QString Text(const char *name) { return Find<QLineEdit>(name)->text(); }
    // Names of the enabled controls among the page's list and buttons.
    std::string EnabledControls()
    {
        std::string names;
        for (const char *name : {"cbMCU", "btnConnect", "btnDisconnect", "btnOpenAppFile",
                                 "btnWriteApp", "btnOpenDataFile", "btnReadData", "btnWriteData"})
            if (Enabled(name))
                names += std::string(names.empty() ? "" : " ") + name;
        return names;
    }
};

TEST_F(LoadingPageTest, ConnectsToTheMainControllerOnTheConfiguredPortAfterThePause)
{
    TModuleServer &module = ports.Serve(1);
    MainWindow();
    size_t framesBeforePause = 99;
    clock.onPause = [&](int) { framesBeforePause = module.Trace().Size(); };
    Click("btnConnect");
    EXPECT_EQ(clock.pauses, std::vector<int>{kConnectPauseMs});
    EXPECT_EQ(framesBeforePause, 0u) << "the pause comes before the handshake";
    EXPECT_EQ(Commands(module), "C");
    EXPECT_EQ(EnabledControls(), "btnDisconnect btnOpenAppFile btnOpenDataFile");

    Click("btnDisconnect");
    EXPECT_EQ(EnabledControls(), "cbMCU btnConnect");
}

TEST_F(LoadingPageTest, ConnectsToASlaveBySelectingItsIndex)
{
    TModuleServer &module = ports.Serve(1);
    Pick(Find<QComboBox>("cbMCU"), 3);
    Click("btnConnect");
    EXPECT_EQ(Commands(module), "CIC");
    const auto frames = module.Trace().Entries();
    ASSERT_EQ(frames.size(), 3u);
    ASSERT_FALSE(frames[1].payload.empty());
    EXPECT_EQ(frames[1].payload[0], 3) << "the controller index travels in the I frame";
    EXPECT_EQ(module.WithModule([](TVirtualModule &m) { return m.SelectedIndex(); }), 3);
    EXPECT_FALSE(Enabled("cbMCU"));
}

TEST_F(LoadingPageTest, AFailedConnectSaysWhyAndStaysDisconnected)
{
    ports.Link(1, ports.File("unplugged-adapter"));
    MainWindow();
    Click("btnConnect");
    EXPECT_EQ(clock.pauses, std::vector<int>{kConnectPauseMs});
    EXPECT_EQ(EnabledControls(), "cbMCU btnConnect");
    ASSERT_EQ(dialogs.failures.size(), 1u);
    EXPECT_EQ(dialogs.failures[0].first, "Connect error");
    EXPECT_EQ(dialogs.failures[0].second.Kind, TFailureKind::fkNotFound) << dialogs.failures[0].second;

    // A module that stays silent is another story, told as such.
    TModuleServerOptions silent;
    silent.faults.silent = true;
    ports.Serve(1, silent);
    Model().Programmator->Driver().SetInputTimeout(100);
    Click("btnConnect");
    ASSERT_EQ(dialogs.failures.size(), 2u);
    EXPECT_EQ(dialogs.failures[1].second.Kind, TFailureKind::fkNoReply) << dialogs.failures[1].second;
    EXPECT_EQ(EnabledControls(), "cbMCU btnConnect");
}

TEST_F(LoadingPageTest, ChosenFilesEnableTheirButtonsAndSurviveADisconnect)
{
    ports.Serve(1);
    Click("btnConnect");
    dialogs.files = {ports.File("app.xml"), ports.File("data.bin")};

    Click("btnOpenAppFile");
    ASSERT_EQ(dialogs.filtersAsked.size(), 1u);
    EXPECT_EQ(dialogs.filtersAsked[0].Filter, "ORVEL MCU Application|*.xml");
    EXPECT_EQ(dialogs.filtersAsked[0].DefaultExt, "xml");
    EXPECT_EQ(Text("edtAppFileName").toStdString(), ports.File("app.xml"));
    EXPECT_EQ(EnabledControls(), "btnDisconnect btnOpenAppFile btnWriteApp btnOpenDataFile");

    Click("btnOpenDataFile");
    EXPECT_EQ(dialogs.filtersAsked[1].Filter, "Binary (*.bin)|*.bin");
    EXPECT_EQ(dialogs.filtersAsked[1].DefaultExt, "bin");
    EXPECT_EQ(Text("edtDataFileName").toStdString(), ports.File("data.bin"));
    EXPECT_EQ(EnabledControls(), "btnDisconnect btnOpenAppFile btnWriteApp btnOpenDataFile "
                                 "btnReadData btnWriteData");

    Click("btnDisconnect");
    EXPECT_EQ(EnabledControls(), "cbMCU btnConnect");
    EXPECT_EQ(Text("edtAppFileName").toStdString(), ports.File("app.xml"));
    EXPECT_EQ(Text("edtDataFileName").toStdString(), ports.File("data.bin"));

    Click("btnConnect");
    EXPECT_EQ(EnabledControls(), "btnDisconnect btnOpenAppFile btnWriteApp btnOpenDataFile "
                                 "btnReadData btnWriteData");
}

TEST_F(LoadingPageTest, ACancelledFileDialogChangesNothing)
{
    ports.Serve(1);
    Click("btnConnect");
    dialogs.files = {ports.File("app.xml"), std::nullopt};
    Click("btnOpenAppFile");
    Click("btnOpenAppFile");
    EXPECT_EQ(Text("edtAppFileName").toStdString(), ports.File("app.xml"));
    EXPECT_TRUE(Enabled("btnWriteApp"));
}

} // namespace
