// SPDX-License-Identifier: MIT
// Closing while an operation runs: the main window, the overlay and the operation's dialogs
// refuse close requests (Alt+F4 sends one), the progress dialog is kept above the overlay when
// the overlay is clicked, Escape does not cut the countdown short, and the operation completes.

#include "UiWorld.h"

#include "CountDown.h"
#include "Loader.h"
#include "ModelU.h"
#include "Observer.h"
#include "PackageBuilder.h"
#include "ProcessTimer.h"
#include "ProgressU.h"
#include "RaiseCounter.h"

#include <QTest>

using namespace morlith;

namespace {

class ClosingTest : public UiWorld {
protected:
    // Asks the main window, the overlay and `dialog` to close, as Alt+F4 on each would; names
    // those that went.
    std::string CloseAll(QWidget *dialog)
    {
        std::string closed;
        if (MainWindow().close())
            closed += "main window ";
        if (QWidget *overlay = Overlay(); !overlay || overlay->close())
            closed += "overlay ";
        if (dialog->close())
            closed += "dialog";
        return closed;
    }
};

TEST_F(ClosingTest, DuringAnApplicationWriteNothingClosesAndTheWriteCompletes)
{
    const std::vector<uint8_t> image(900, 0x5A);
    const TPackageBytes package = BuildPackageBytes(image, 256);
    std::string why;
    ASSERT_TRUE(SavePackageFile(ports.File("app.xml"), package.Header, package.KeyedImage, 0, &why))
        << why;
    TModuleServer &module = ports.Serve(1);
    Click("btnConnect");
    dialogs.files = {ports.File("app.xml")};
    Click("btnOpenAppFile");

    std::string closed = "not asked";
    RaiseCounter progressRaises;
    bool shownAfterClick = false;
    TSubjectObserver operatorMidWrite;
    operatorMidWrite.OnNotify = [&](TObserver *) {
        if (closed != "not asked")
            return;
        closed = CloseAll(ProgressDlg);
        ProgressDlg->installEventFilter(&progressRaises);
        QTest::mouseClick(Overlay(), Qt::LeftButton, {}, QPoint(10, 10));
        ProgressDlg->removeEventFilter(&progressRaises);
        shownAfterClick = ProgressDlg->isVisible() && OverlayShown();
    };
    Model().Loader->Observer().Attach(&operatorMidWrite);

    Click("btnWriteApp");
    EXPECT_EQ(closed, "");
    EXPECT_TRUE(shownAfterClick);
    EXPECT_GT(progressRaises.raises, 0) << "a click on the overlay puts the progress back above it";
    EXPECT_TRUE(dialogs.errors.empty());
    EXPECT_EQ(module.WithModule([](TVirtualModule &m) { return m.Controller(0).programMemory; }),
              image);
    EXPECT_FALSE(OverlayShown());
    EXPECT_FALSE(ProgressDlg->isVisible());

    EXPECT_TRUE(MainWindow().close()) << "once the write has ended the window closes";
}

TEST_F(ClosingTest, DuringTheCountdownNothingClosesAndEscapeDoesNotCutItShort)
{
    TModuleServer &module = ports.Serve(1);
    Click("btnConnect");
    dialogs.files = {ports.File("d.bin")};
    Click("btnOpenDataFile");

    std::string closed = "not asked";
    int ticks = 0;
    const auto step = CountDownDlg->ProcessTimer()->OnTimer;
    CountDownDlg->ProcessTimer()->OnTimer = [&](TProcessTimer *sender) {
        if (++ticks == 2) {
            QTest::keyClick(CountDownDlg, Qt::Key_Escape);
            closed = CloseAll(CountDownDlg);
        }
        step(sender);
    };

    Click("btnReadData");
    CountDownDlg->ProcessTimer()->OnTimer = step;
    EXPECT_EQ(closed, "");
    EXPECT_EQ(ticks, TCountDownDlg::kTicks) << "the countdown ran out in full";
    EXPECT_EQ(Commands(module), "CPPD") << "then the read ran";
    EXPECT_FALSE(OverlayShown());
    EXPECT_TRUE(MainWindow().close());
}

} // namespace
