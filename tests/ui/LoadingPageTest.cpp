// SPDX-License-Identifier: MIT
// The Loading page: connecting to the chosen controller and choosing files.

#include "UiWorld.h"

#include "ComPortProgrammator.h"
#include "DialogsIntf.h"
#include "FailureHints.h"
#include "FailureWords.h"
#include "QtDialogs.h"
#include "LoadingViewPresenter.h"
#include "ModelU.h"

#include <QLineEdit>
#include <QPushButton>

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

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
    EXPECT_EQ(Commands(module), "CP") << "then what the controller holds";
    EXPECT_EQ(EnabledControls(), "btnDisconnect btnOpenAppFile btnOpenDataFile");

    Click("btnDisconnect");
    EXPECT_EQ(EnabledControls(), "cbMCU btnConnect");
}

TEST_F(LoadingPageTest, ConnectsToASlaveBySelectingItsIndex)
{
    TModuleServer &module = ports.Serve(1);
    Pick(Find<QComboBox>("cbMCU"), 3);
    Click("btnConnect");
    EXPECT_EQ(Commands(module), "CICP");
    const auto frames = module.Trace().Entries();
    ASSERT_EQ(frames.size(), 4u);
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
    // The hint names the port map folder in use: this test's own ($XDG_CONFIG_HOME).
    const std::string hint = FailureHint(dialogs.failures[0].second);
    EXPECT_NE(hint.find(ports.File("morlith/ports")), std::string::npos) << hint;

    // A module that stays silent is another story, told as such.
    TModuleServerOptions silent;
    silent.faults.silent = true;
    ports.Serve(1, silent);
    Model().Programmator->Driver().SetInputTimeout(100);
    Click("btnConnect");
    ASSERT_EQ(dialogs.failures.size(), 2u);
    EXPECT_EQ(dialogs.failures[1].second.Kind, TFailureKind::fkNoReply) << dialogs.failures[1].second;
    EXPECT_EQ(EnabledControls(), "cbMCU btnConnect");

    // Another program holds the port.
    TModuleServer &module = ports.Serve(1);
    const int holder = ::open(module.SlavePath().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_GE(holder, 0);
    ASSERT_EQ(::flock(holder, LOCK_EX | LOCK_NB), 0);
    Click("btnConnect");
    ::close(holder);
    ASSERT_EQ(dialogs.failures.size(), 3u);
    EXPECT_EQ(dialogs.failures[2].second.Kind, TFailureKind::fkBusy) << dialogs.failures[2].second;
    EXPECT_TRUE(Commands(module).empty());
}

TEST(FailureBox, PathsAreNeverBrokenAndEveryDeviceKindHasAHint)
{
    QString text = UnbrokenPaths("cannot write /home/op/data.bin: No space / left");
    EXPECT_EQ(text.count(QChar(0x2060)), 3) << "after each slash inside a path, none before a space";
    EXPECT_EQ(text.remove(QChar(0x2060)), QStringLiteral("cannot write /home/op/data.bin: No space / left"));
    for (TFailureKind kind : {TFailureKind::fkNotFound, TFailureKind::fkPermission, TFailureKind::fkBusy,
                              TFailureKind::fkHangUp, TFailureKind::fkNoReply, TFailureKind::fkBadReply}) {
        for (THintSystem system : {THintSystem::hsLinux, THintSystem::hsWindows})
            EXPECT_FALSE(FailureHint(MakeFailure(kind, "x"), system).empty()) << FailureKindName(kind);
    }
}

TEST(FailureBox, HintsSpeakTheTermsOfTheirSystem)
{
    // What the operator is sent to: the port map and the device's group on Linux, Device
    // Manager's ports on Windows; neither names the other's places.
    struct Row {
        TFailureKind Kind;
        THintSystem System;
        const char *Names;
        const char *NeverNames;
    };
    const Row rows[] = {
        {TFailureKind::fkNotFound, THintSystem::hsLinux, "morlith/ports", "Device Manager"},
        {TFailureKind::fkNotFound, THintSystem::hsWindows, "Ports (COM & LPT)", "~/"},
        {TFailureKind::fkPermission, THintSystem::hsLinux, "group", "Device Manager"},
        {TFailureKind::fkPermission, THintSystem::hsWindows, "Device Manager", "udev"},
        {TFailureKind::fkBusy, THintSystem::hsLinux, "ModemManager", "Device Manager"},
        {TFailureKind::fkBusy, THintSystem::hsWindows, "second Morlith", "ModemManager"},
    };
    for (const Row &row : rows) {
        const std::string hint = FailureHint(MakeFailure(row.Kind, "x"), row.System);
        EXPECT_NE(hint.find(row.Names), std::string::npos) << hint;
        EXPECT_EQ(hint.find(row.NeverNames), std::string::npos) << hint;
    }
}

TEST(FailureBox, TheFirstLineNamesWhatFailedAndTheNextTheStep)
{
    struct Row {
        TFailureKind kind;
        const char *device;
        const char *path;
        const char *reason;
        const char *firstLine;
    };
    const Row rows[] = {
        {TFailureKind::fkNotFound, "/dev/ttyUSB0", "", "", "There is no device at /dev/ttyUSB0."},
        {TFailureKind::fkHangUp, "/dev/pts/7", "", "", "The port /dev/pts/7 went away (adapter unplugged?)."},
        {TFailureKind::fkBusy, "", "", "", "The port is in use by another program."},
        // A data file fails while the port is open: the file is what failed.
        {TFailureKind::fkFile, "/dev/pts/7", "/home/op/d.bin", "", "The file /home/op/d.bin cannot be read or written."},
        // The log or a package is no port, whatever the kind of its failure.
        {TFailureKind::fkPermission, "", "/var/log/m.jsonl", "", "There is no permission to open /var/log/m.jsonl."},
        {TFailureKind::fkNotFound, "", "/home/op/app.xml", "", "/home/op/app.xml does not exist."},
        {TFailureKind::fkStopped, "/dev/pts/7", "/home/op/d.bin", "", "The operation was stopped."},
        // The shared store, by its reason; never a port or a file, whatever else the record names.
        {TFailureKind::fkStore, "db.plant/morlith", "/home/op/d.bin", "unreachable",
         "The shared store db.plant/morlith cannot be reached."},
        {TFailureKind::fkStore, "db.plant/morlith", "", "refused", "The shared store db.plant/morlith refused the work."},
        {TFailureKind::fkStore, "", "", "authentication", "The shared store did not accept the user name or password."},
        {TFailureKind::fkStore, "db", "", "schema", "The shared store db is not set up for this version of Morlith."},
        {TFailureKind::fkStore, "db", "", "quota", "The shared store db failed."},
    };
    for (const Row &row : rows) {
        TFailure failure = MakeFailure(row.kind, "detail");
        failure.Device = row.device;
        failure.Path = row.path;
        failure.Reason = row.reason;
        failure.Step = "application chunk 3 of 9";
        EXPECT_EQ(FailureInWords(failure), QString::fromUtf8(row.firstLine) +
                                               "\nStep: writing the application, chunk 3 of 9.");
    }
}

TEST_F(LoadingPageTest, ADeviceTheUserMayNotOpenIsAPermissionFailure)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to act as an unprivileged user";
    const passwd *nobody = ::getpwnam("nobody");
    if (nobody == nullptr)
        GTEST_SKIP() << "no user 'nobody' on this machine";
    TModuleServer &module = ports.Serve(1);
    ASSERT_EQ(::chmod(module.SlavePath().c_str(), 0600), 0);
    // The unprivileged user may read the private port map, not the device.
    ASSERT_EQ(::chmod(ports.File("").c_str(), 0755), 0);
    // ... and may write the operations log beside it, so that the one message is the connect's.
    ASSERT_EQ(::chmod(ports.File("morlith").c_str(), 0777), 0);
    MainWindow();
    ASSERT_EQ(::seteuid(nobody->pw_uid), 0);
    Click("btnConnect");
    ASSERT_EQ(::seteuid(0), 0);
    ASSERT_EQ(dialogs.failures.size(), 1u);
    EXPECT_EQ(dialogs.failures[0].first, "Connect error");
    EXPECT_EQ(dialogs.failures[0].second.Kind, TFailureKind::fkPermission) << dialogs.failures[0].second;
    EXPECT_NE(FailureHint(dialogs.failures[0].second).find("group"), std::string::npos);
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

TEST_F(LoadingPageTest, AnAdapterUnpluggedWhileIdleLeavesThePageDisconnected)
{
    TModuleServer &module = ports.Serve(1);
    Click("btnConnect");
    ASSERT_TRUE(Enabled("btnDisconnect"));
    module.Stop(); // the adapter is pulled out; nobody presses anything
    // Well within a second by design (the line is looked at every kIdleLineCheckMs); the limit
    // here only allows for a loaded machine.
    EXPECT_TRUE(WaitUntil([&] { return !Enabled("btnDisconnect"); }, 5000));
    EXPECT_EQ(EnabledControls(), "cbMCU btnConnect");
    EXPECT_EQ(Commands(module), "CP") << "nothing was sent to find out";
    EXPECT_TRUE(dialogs.failures.empty());

    ports.Serve(1); // plugged in again
    Click("btnConnect");
    EXPECT_TRUE(Enabled("btnDisconnect")) << Model().Programmator->LastFailure();
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
