// SPDX-License-Identifier: MIT
// The main window from the keyboard: real key events on real widgets. Only the page shown takes
// keys, and the page arrows have shortcuts and tooltips naming where they lead.

#include "UiWorld.h"

#include "ConfigurationU.h"
#include "Loader.h"
#include "LoadingViewPresenter.h"
#include "MainViewPresenter.h"
#include "ModelU.h"
#include "Observer.h"
#include "PackageBuilder.h"
#include "Slider.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QTest>
#include <QTimer>

#include <fstream>

using namespace morlith;

namespace {

// Longest a slide may take on a loaded machine, in milliseconds.
constexpr int kSlideTimeoutMs = 10000;
// Tab presses that go round every control of a page more than once.
constexpr int kTabRounds = 24;

class KeyboardTest : public UiWorld {
protected:
    // Shows the main window as the active window, so that it has the keyboard.
    void Activate()
    {
        MainWindow().activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&MainWindow()));
    }
    // Presses `key` where the keyboard is: the focused control, else the active window.
    void Press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QWidget *target = QApplication::focusWidget();
        QTest::keyClick(target ? target : &MainWindow(), Qt::Key(key), modifiers);
    }
    // Presses `key` and waits until the slide it started has ended.
    void Slide(int key)
    {
        Press(key, Qt::AltModifier);
        ASSERT_TRUE(WaitUntil([&] { return !MainWindow().Presenter().Slider().Sliding(); },
                              kSlideTimeoutMs));
    }
    QString Caption() { return Find<QLabel>("lbFormCaption")->text(); }
    bool FocusIn(const char *page)
    {
        const QWidget *focused = QApplication::focusWidget();
        return focused && Find<QWidget>(page)->isAncestorOf(focused);
    }
    QString Hint(const char *arrow) { return Find<QAbstractButton>(arrow)->toolTip(); }
    // Goes round the window with Tab, pressing Down on every list that takes the focus (Down
    // on a button only moves the focus back); every control reached must be on the screen.
    void TabAndDownAround()
    {
        for (int i = 0; i < kTabRounds; ++i) {
            Press(Qt::Key_Tab);
            QWidget *control = QApplication::focusWidget();
            ASSERT_NE(control, nullptr);
            EXPECT_TRUE(control->isVisible()) << control->objectName().toStdString();
            if (qobject_cast<QComboBox *>(control))
                Press(Qt::Key_Down);
        }
    }
    // Everything an operator might do to the window: the page keys, Tab and Down round the
    // controls, Space on whatever has the focus, and clicks on both arrows.
    void TryEverything()
    {
        Press(Qt::Key_Left, Qt::AltModifier);
        Press(Qt::Key_Right, Qt::AltModifier);
        for (int i = 0; i < kTabRounds; ++i) {
            Press(Qt::Key_Tab);
            Press(Qt::Key_Down);
            Press(Qt::Key_Space);
        }
        QTest::mouseClick(Find<QWidget>("btnMoveToRight"), Qt::LeftButton);
        QTest::mouseClick(Find<QWidget>("btnMoveToLeft"), Qt::LeftButton);
    }
};

// A page operation, by its button.
struct Operation {
    const char *button;
};

void PrintTo(const Operation &operation, std::ostream *out) { *out << operation.button; }

class KeysDuringAnOperationTest : public KeyboardTest,
                                  public ::testing::WithParamInterface<Operation> {};

TEST_F(KeyboardTest, AfterVisitingOptionsNoKeyOnTheLoadingPageChangesThePort)
{
    Model().Configuration->SetPort(50); // COM51
    Activate();
    Slide(Qt::Key_Left);
    ASSERT_EQ(Caption(), "Options");
    Slide(Qt::Key_Right);
    ASSERT_EQ(Caption(), "Loading");
    EXPECT_FALSE(Find<QWidget>("dlgOptions")->isVisible());

    TabAndDownAround();
    EXPECT_EQ(Find<QComboBox>("cbPort")->currentText(), "COM51");
    EXPECT_EQ(Model().Configuration->GetPort(), 50);
    EXPECT_NE(Find<QComboBox>("cbMCU")->currentIndex(), 0) << "the keys did reach the page shown";
}

TEST_F(KeyboardTest, OnTheOptionsPageNoKeyChangesTheController)
{
    TModuleServer &module = ports.Serve(1);
    Activate();
    Find<QComboBox>("cbMCU")->setFocus();
    Slide(Qt::Key_Left);
    ASSERT_EQ(Caption(), "Options");
    EXPECT_FALSE(Find<QWidget>("dlgLoading")->isVisible());

    TabAndDownAround();
    EXPECT_EQ(Find<QComboBox>("cbMCU")->currentText(), "Main");
    EXPECT_NE(Model().Configuration->GetPort(), 0) << "the keys did reach the port list";

    // The next connect still addresses the main controller, on the port now chosen.
    Model().Configuration->SetPort(0);
    Slide(Qt::Key_Right);
    Click("btnConnect");
    EXPECT_EQ(Commands(module), "CP");
}

TEST_F(KeyboardTest, KeysPressedMidSlideReachNeitherPage)
{
    Activate();
    Find<QComboBox>("cbMCU")->setFocus();
    Press(Qt::Key_Left, Qt::AltModifier);
    ASSERT_TRUE(MainWindow().Presenter().Slider().Sliding());
    EXPECT_FALSE(FocusIn("dlgLoading")) << "the page sliding out gives up the keyboard";
    Find<QComboBox>("cbMCU")->setFocus(); // a click on it as it slides away
    Press(Qt::Key_Down);
    Press(Qt::Key_Down);
    ASSERT_TRUE(WaitUntil([&] { return !MainWindow().Presenter().Slider().Sliding(); },
                          kSlideTimeoutMs));
    EXPECT_EQ(Caption(), "Options");
    EXPECT_EQ(Find<QComboBox>("cbMCU")->currentText(), "Main");
}

TEST_P(KeysDuringAnOperationTest, ReachNothingUnderTheOverlay)
{
    const auto package = BuildPackageBytes(std::vector<uint8_t>(600, 0x42), 64);
    std::string why;
    ASSERT_TRUE(SavePackageFile(ports.File("app.xml"), package.Header, package.KeyedImage, 0, &why));
    std::ofstream(ports.File("data.bin"), std::ios::binary) << std::string(60, 'x');
    TModuleServerOptions options;
    options.dataSegmentBytes = 60;
    ports.Serve(1, options);
    dialogs.confirmAnswer = true;
    Activate();
    Click("btnConnect");
    dialogs.files = {ports.File("app.xml"), ports.File("data.bin")};
    Click("btnOpenAppFile");
    Click("btnOpenDataFile");
    Find<QComboBox>("cbMCU")->setFocus();

    // The keys come at the first chance the operation gives the window: a progress step of a
    // write, or the countdown before a data-segment operation.
    bool pressedWhileBusy = false;
    const auto operatorActs = [&] {
        if (pressedWhileBusy || !MainWindow().Presenter().LoadingPresenter().Busy())
            return;
        pressedWhileBusy = true;
        TryEverything();
    };
    TSubjectObserver progressStep;
    progressStep.OnNotify = [&](TObserver *) { operatorActs(); };
    Model().Loader->Observer().Attach(&progressStep);
    QTimer::singleShot(0, operatorActs);

    Click(GetParam().button);
    Model().Loader->Observer().Detach(&progressStep);
    ASSERT_TRUE(pressedWhileBusy);
    EXPECT_TRUE(dialogs.failures.empty()) << dialogs.failures[0].second;
    EXPECT_EQ(Caption(), "Loading");
    EXPECT_EQ(MainWindow().Presenter().Slider().PageIndex(), piLoading);
    EXPECT_FALSE(MainWindow().Presenter().Slider().Sliding());
    EXPECT_EQ(Find<QComboBox>("cbPort")->currentText(), "COM1");
    EXPECT_EQ(Model().Configuration->GetPort(), 0);
    EXPECT_FALSE(std::filesystem::exists(ports.File("Config.mlhxml"))) << "nothing saved";
    EXPECT_EQ(Find<QComboBox>("cbMCU")->currentText(), "Main");
    EXPECT_TRUE(Model().Loader->GetConnected());
}

INSTANTIATE_TEST_SUITE_P(EveryOperation, KeysDuringAnOperationTest,
                         ::testing::Values(Operation{"btnWriteApp"}, Operation{"btnReadData"},
                                           Operation{"btnWriteData"}));

TEST_F(KeyboardTest, AltArrowsMoveBetweenPagesWhoseNamesTheArrowsShow)
{
    Activate();
    EXPECT_EQ(Hint("btnMoveToRight"), "Options (Alt+Left)");
    EXPECT_EQ(Hint("btnMoveToLeft"), "About (Alt+Right)");

    Slide(Qt::Key_Right);
    EXPECT_EQ(Caption(), "About");
    EXPECT_EQ(Hint("btnMoveToRight"), "Loading (Alt+Left)");
    EXPECT_EQ(Hint("btnMoveToLeft"), "") << "no page beyond the last";
    Slide(Qt::Key_Right);
    EXPECT_EQ(Caption(), "About");

    Slide(Qt::Key_Left);
    Slide(Qt::Key_Left);
    EXPECT_EQ(Caption(), "Options");
    EXPECT_EQ(Hint("btnMoveToRight"), "");
    EXPECT_EQ(Hint("btnMoveToLeft"), "Loading (Alt+Right)");
}

} // namespace
