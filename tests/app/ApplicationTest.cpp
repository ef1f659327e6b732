// SPDX-License-Identifier: MIT
// The application's start and end order, its polling timers and its stop on SIGTERM.

#include "ConfigurationU.h"
#include "CountDown.h"
#include "FastPaceClock.h"
#include "Loader.h"
#include "LoadingViewPresenter.h"
#include "Main.h"
#include "ModelU.h"
#include "ModuleOnPort.h"
#include "MorlithApplication.h"
#include "Observer.h"
#include "Operations.h"
#include "ProgressU.h"
#include "QtPollTimer.h"
#include "QuitOnSignal.h"

#include <QApplication>
#include <QCloseEvent>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>

using namespace morlith;
namespace fs = std::filesystem;

namespace {

// Runs the event loop for `milliseconds`.
void RunEventsFor(int milliseconds)
{
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

TEST(MorlithApplication, StartsInOrderAndEndsInReverseWithoutTouchingTheModule)
{
    PrivatePortMap ports;
    const fs::path home = fs::current_path();
    fs::current_path(ports.File(""));
    TModuleServer &module = ports.Serve(1);
    TSubjectObserver probe;
    FastPaceClock clock;
    {
        TMorlithApplication application;
        EXPECT_EQ(QApplication::applicationDisplayName(), "Morlith");
        EXPECT_EQ(QGuiApplication::desktopFileName(), "org.morlith.Morlith")
            << "the installed desktop entry's name";
        EXPECT_FALSE(application.MainWindow().windowIcon().isNull());
        EXPECT_NE(CreatePollTimer(), nullptr) << "the driver polls on Qt timers";
        ASSERT_NE(ModelDM, nullptr);
        ASSERT_NE(ProgressDlg, nullptr);
        ASSERT_NE(CountDownDlg, nullptr);
        EXPECT_FALSE(ProgressDlg->isVisible());
        EXPECT_FALSE(CountDownDlg->isVisible());
        TdlgMain &window = application.MainWindow();
        EXPECT_EQ(window.findChild<QLabel *>("lbFormCaption")->text(), "Loading");
        EXPECT_EQ(ModelDM->Loader->RefCount(), 1) << "held by the Loading presenter alone";
        EXPECT_EQ(ModelDM->Configuration->RefCount(), 2) << "held by the Options and Loading presenters";
        EXPECT_EQ(ModelDM->Operations->RefCount(), 1) << "held by the Loading presenter alone";
        ModelDM->Loader->Observer().Attach(&probe);

        window.findChild<QPushButton *>("btnConnect")->click();
        ASSERT_TRUE(ModelDM->Loader->GetConnected());
        EXPECT_EQ(clock.pauses, std::vector<int>{kConnectPauseMs});
    }
    EXPECT_EQ(ModelDM, nullptr);
    EXPECT_EQ(ProgressDlg, nullptr);
    EXPECT_EQ(CountDownDlg, nullptr);
    EXPECT_EQ(probe.Subject, nullptr) << "the loader was freed";
    EXPECT_EQ(Commands(module), "CP") << "what the controller holds is read on connecting; nothing is sent on the way out";
    EXPECT_FALSE(fs::exists(ports.File("Config.mlhxml"))) << "nothing is saved on the way out";
    fs::current_path(home);
    SetPollTimerFactory(nullptr);
}

TEST(QtPollTimer, TicksUntilStopped)
{
    TQtPollTimer timer;
    int ticks = 0;
    timer.Start(5, [&] { ++ticks; });
    QElapsedTimer clock;
    clock.start();
    while (ticks < 3 && clock.elapsed() < 5000)
        RunEventsFor(10);
    EXPECT_GE(ticks, 3);
    timer.Stop();
    const int stoppedAt = ticks;
    RunEventsFor(50);
    EXPECT_EQ(ticks, stoppedAt);
}

TEST(QuitOnSignal, SigtermEndsTheEventLoop)
{
    TQuitOnSignal quitOnSignal(BlockTerminationSignals());
    bool stillRunning = false;
    QTimer::singleShot(0, [] { raise(SIGTERM); });
    QTimer::singleShot(10000, [&] {
        stillRunning = true;
        QCoreApplication::exit(1);
    });
    EXPECT_EQ(QApplication::exec(), 0);
    EXPECT_FALSE(stillRunning);
}

// A window that refuses to close while told to, as the main window does during an operation.
class TRefusingWindow : public QWidget {
public:
    bool refuse = true;

protected:
    void closeEvent(QCloseEvent *event) override { event->setAccepted(!refuse); }
};

TEST(QuitOnSignal, AQuitAWindowRefusesWaitsUntilTheWindowCloses)
{
    TQuitOnSignal quitOnSignal(BlockTerminationSignals());
    TRefusingWindow window;
    window.show();
    bool visibleWhileRefusing = false;
    QTimer::singleShot(0, [] { raise(SIGTERM); });
    QTimer::singleShot(3 * TQuitOnSignal::kRetryMs, [&] {
        visibleWhileRefusing = window.isVisible();
        window.refuse = false;
    });
    bool stillRunning = false;
    QTimer::singleShot(10000, [&] {
        stillRunning = true;
        QCoreApplication::exit(1);
    });
    EXPECT_EQ(QApplication::exec(), 0);
    EXPECT_TRUE(visibleWhileRefusing) << "the quit did not override the refusal";
    EXPECT_FALSE(window.isVisible());
    EXPECT_FALSE(stillRunning);
}

} // namespace
