// SPDX-License-Identifier: MIT
// The forms on a desktop: their own colours under a dark desktop palette, a name for every
// control a screen reader reaches, and the arrows named after the pages they lead to.

#include "UiWorld.h"

#include "MainViewPresenter.h"
#include "ProgressU.h"
#include "Slider.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QProgressBar>

using namespace morlith;

namespace {

// Longest a slide may take on a loaded machine, in milliseconds.
constexpr int kSlideTimeoutMs = 10000;

// A dark desktop theme: light text on dark grounds in every role the forms use.
QPalette DarkPalette()
{
    QPalette dark(QColor(53, 53, 53));
    dark.setColor(QPalette::Window, QColor(30, 30, 30));
    dark.setColor(QPalette::WindowText, QColor(230, 230, 230));
    dark.setColor(QPalette::Base, QColor(20, 20, 20));
    dark.setColor(QPalette::Text, QColor(230, 230, 230));
    dark.setColor(QPalette::Button, QColor(53, 53, 53));
    dark.setColor(QPalette::ButtonText, QColor(230, 230, 230));
    return dark;
}

// The application's palette set to `palette` for the life of the scope.
class DesktopPaletteScope {
public:
    explicit DesktopPaletteScope(const QPalette &palette) : FBefore(QApplication::palette())
    {
        QApplication::setPalette(palette);
    }
    ~DesktopPaletteScope() { QApplication::setPalette(FBefore); }

private:
    QPalette FBefore;
};

// Luminance spread (0..255) of the pixels of `image` inside `area`.
int LuminanceSpread(const QImage &image, const QRect &area)
{
    int darkest = 255;
    int lightest = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            const int luminance = qGray(image.pixel(x, y));
            darkest = std::min(darkest, luminance);
            lightest = std::max(lightest, luminance);
        }
    }
    return lightest - darkest;
}

// What a screen reader says `widget` is called.
QString SpokenName(QWidget *widget)
{
    QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(widget);
    return accessible ? accessible->text(QAccessible::Name) : QString();
}

class DesktopThemeTest : public UiWorld {};

TEST_F(DesktopThemeTest, FormsPaintTheSameUnderADarkDesktopPalette)
{
    TdlgMain &window = MainWindow();
    const QImage light = window.grab().toImage();
    const QImage lightProgress = ProgressDlg->grab().toImage();
    DesktopPaletteScope dark(DarkPalette());
    QCoreApplication::processEvents();
    const QImage underDark = window.grab().toImage();
    EXPECT_TRUE(underDark == light) << "the main window changed its colours with the desktop";
    EXPECT_TRUE(ProgressDlg->grab().toImage() == lightProgress);

    // And what it paints stays readable: text stands out from its ground.
    for (const char *name : {"btnConnect", "cbMCU", "lbFormCaption"}) {
        QWidget *control = Find<QWidget>(name);
        const QRect area(control->mapTo(&window, QPoint(0, 0)), control->size());
        EXPECT_GT(LuminanceSpread(underDark, area.adjusted(2, 2, -2, -2)), 100) << name;
    }
}

TEST_F(DesktopThemeTest, AFormCreatedUnderADarkPaletteUsesTheFormColours)
{
    DesktopPaletteScope dark(DarkPalette());
    TdlgMain &window = MainWindow();
    EXPECT_EQ(window.palette().color(QPalette::Window), QColor(240, 240, 240));
    EXPECT_EQ(Find<QWidget>("btnConnect")->palette().color(QPalette::ButtonText), Qt::black);
    EXPECT_EQ(Find<QWidget>("cbMCU")->palette().color(QPalette::Active, QPalette::Base), Qt::white);
}

TEST_F(DesktopThemeTest, EveryControlHasASpokenName)
{
    MainWindow();
    std::vector<QWidget *> controls;
    for (QWidget *window : {static_cast<QWidget *>(&MainWindow()),
                            static_cast<QWidget *>(ProgressDlg)}) {
        for (QWidget *widget : window->findChildren<QWidget *>()) {
            if (qobject_cast<QAbstractButton *>(widget) || qobject_cast<QComboBox *>(widget) ||
                qobject_cast<QLineEdit *>(widget) || qobject_cast<QProgressBar *>(widget))
                controls.push_back(widget);
        }
    }
    ASSERT_GE(controls.size(), 15u);
    for (QWidget *control : controls)
        EXPECT_FALSE(SpokenName(control).isEmpty()) << control->objectName().toStdString();
    EXPECT_NE(SpokenName(Find<QWidget>("btnWriteApp")), SpokenName(Find<QWidget>("btnWriteData")))
        << "the two Write buttons must be told apart";
    EXPECT_NE(SpokenName(Find<QWidget>("btnOpenAppFile")),
              SpokenName(Find<QWidget>("btnOpenDataFile")));
}

TEST_F(DesktopThemeTest, ArrowsAreNamedAfterThePagesTheyLeadTo)
{
    MainWindow();
    auto *toPrevious = Find<QWidget>("btnMoveToRight");
    auto *toNext = Find<QWidget>("btnMoveToLeft");
    EXPECT_EQ(SpokenName(toPrevious), "Go to Options");
    EXPECT_EQ(SpokenName(toNext), "Go to About");

    Click("btnMoveToLeft");
    ASSERT_TRUE(WaitUntil([&] { return !MainWindow().Presenter().Slider().Sliding(); },
                          kSlideTimeoutMs));
    EXPECT_EQ(SpokenName(toPrevious), "Go to Loading");
    EXPECT_EQ(SpokenName(toNext), "No further page");
}

} // namespace
