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

#include <fstream>
#include <iterator>

using namespace morlith;

namespace {

// What the close requests sent in the middle of an operation achieved.
struct CloseAttempts {
    bool made = false;
    bool mainWindowClosed = true;
    bool overlayClosed = true;
    bool dialogClosed = true;
};

class ClosingTest : public UiWorld {
protected:
    // Asks the main window, the overlay and `dialog` to close, as Alt+F4 on each would.
    CloseAttempts TryClosing(QWidget *dialog)
    {
        CloseAttempts attempts;
        attempts.made = true;
        attempts.mainWindowClosed = MainWindow().close();
        QWidget *overlay = Overlay();
        attempts.overlayClosed = !overlay || overlay->close();
        attempts.dialogClosed = dialog->close();
        return attempts;
    }
    static void ExpectAllRefused(const CloseAttempts &attempts)
    {
        EXPECT_TRUE(attempts.made);
        EXPECT_FALSE(attempts.mainWindowClosed);
        EXPECT_FALSE(attempts.overlayClosed);
        EXPECT_FALSE(attempts.dialogClosed);
    }
};

TEST_F(ClosingTest, DuringAnApplicationWriteNothingClosesAndTheWriteCompletes)
{
    std::vector<uint8_t> image(900);
    for (size_t i = 0; i < image.size(); ++i)
        image[i] = uint8_t(i * 13 + 1);
    const TPackageBytes package = BuildPackageBytes(image, 256);
    std::string why;
    ASSERT_TRUE(SavePackageFile(ports.File("app.xml"), package.Header, package.KeyedImage, 0, &why))
        << why;
    TModuleServer &module = ports.Serve(1);
    Click("btnConnect");
    dialogs.files = {ports.File("app.xml")};
    Click("btnOpenAppFile");

    CloseAttempts attempts;
    RaiseCounter progressRaises;
    bool shownAfterClick = false;
    TSubjectObserver operatorMidWrite;
    operatorMidWrite.OnNotify = [&](TObserver *) {
        if (attempts.made)
            return;
        attempts = TryClosing(ProgressDlg);
        ProgressDlg->installEventFilter(&progressRaises);
        QTest::mouseClick(Overlay(), Qt::LeftButton, {}, QPoint(10, 10));
        ProgressDlg->removeEventFilter(&progressRaises);
        shownAfterClick = ProgressDlg->isVisible() && OverlayShown();
    };
    Model().Loader->Observer().Attach(&operatorMidWrite);

    Click("btnWriteApp");
    ExpectAllRefused(attempts);
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

    CloseAttempts attempts;
    int ticks = 0;
    const auto step = CountDownDlg->ProcessTimer()->OnTimer;
    CountDownDlg->ProcessTimer()->OnTimer = [&](TProcessTimer *sender) {
        if (++ticks == 2) {
            QTest::keyClick(CountDownDlg, Qt::Key_Escape);
            attempts = TryClosing(CountDownDlg);
        }
        step(sender);
    };

    Click("btnReadData");
    CountDownDlg->ProcessTimer()->OnTimer = step;
    ExpectAllRefused(attempts);
    EXPECT_EQ(ticks, TCountDownDlg::kTicks) << "the countdown ran out in full";
    std::ifstream read(ports.File("d.bin"), std::ios::binary);
    const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(read),
                                     std::istreambuf_iterator<char>()};
    EXPECT_EQ(bytes, module.WithModule([](TVirtualModule &m) { return m.Controller(0).dataSegment; }));
    EXPECT_FALSE(OverlayShown());
    EXPECT_TRUE(MainWindow().close());
}

} // namespace
