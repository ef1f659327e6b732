// SPDX-License-Identifier: MIT
#include "BlendSupport.h"
#include "Eclipse.h"
#include "RaiseCounter.h"

#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

using namespace morlith;

namespace {

TEST(Eclipse, CoversTheScreenHiddenDarkAndPartlyTransparent)
{
    TEclipse eclipse;
    QWidget *overlay = eclipse.Overlay();
    EXPECT_FALSE(overlay->isVisible());
    EXPECT_TRUE(overlay->isWindow());
    EXPECT_TRUE(overlay->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(overlay->geometry(), QGuiApplication::primaryScreen()->geometry());
    EXPECT_EQ(eclipse.BGColor(), QColor(Qt::black));
    EXPECT_EQ(overlay->palette().color(QPalette::Window), QColor(Qt::black));
    EXPECT_EQ(eclipse.AlphaBlend(), 150);
    EXPECT_NEAR(overlay->windowOpacity(), 150 / 255.0, 0.01);
    // The offscreen platform counts as blending.
    EXPECT_TRUE(PlatformCanBlendWindows());
    EXPECT_TRUE(eclipse.AlphaBlendEnabled());

    eclipse.SetAlphaBlend(100);
    EXPECT_NEAR(overlay->windowOpacity(), 100 / 255.0, 0.01);
    eclipse.SetBGColor(Qt::darkBlue);
    EXPECT_EQ(overlay->palette().color(QPalette::Window), QColor(Qt::darkBlue));
}

TEST(Eclipse, ActiveShowsAndHidesTheOverlay)
{
    QPointer<QWidget> overlay;
    {
        TEclipse eclipse;
        overlay = eclipse.Overlay();
        eclipse.SetActive(true);
        EXPECT_TRUE(overlay->isVisible());
        eclipse.SetActive(false);
        EXPECT_FALSE(overlay->isVisible());
        eclipse.SetActive(true);
    }
    // Destroying a shown overlay removes it.
    EXPECT_TRUE(overlay.isNull());
}

TEST(Eclipse, TheOverlayTakesNoFocusRefusesToCloseAndKeepsDialogsAboveWhenClicked)
{
    TEclipse eclipse;
    QWidget *overlay = eclipse.Overlay();
    EXPECT_TRUE(overlay->windowFlags() & Qt::WindowDoesNotAcceptFocus);
    eclipse.SetActive(true);
    QWidget progress(nullptr, Qt::Tool | Qt::FramelessWindowHint);
    progress.show();
    QWidget mainWindow;
    mainWindow.show();
    RaiseCounter progressRaises, mainRaises;
    progress.installEventFilter(&progressRaises);
    mainWindow.installEventFilter(&mainRaises);

    // Alt+F4 reaches a window as a close request.
    EXPECT_FALSE(overlay->close());
    EXPECT_TRUE(overlay->isVisible());

    QTest::mouseClick(overlay, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_GT(progressRaises.raises, 0) << "the dialog is put back above the overlay";
    EXPECT_EQ(mainRaises.raises, 0) << "the dimmed window stays below";
    EXPECT_TRUE(overlay->isVisible());

    eclipse.SetActive(false);
    EXPECT_FALSE(overlay->isVisible()) << "the program still removes it";
}

TEST(Eclipse, WithoutBlendingNothingIsShown)
{
    TEclipse eclipse(nullptr, false);
    eclipse.SetActive(true);
    EXPECT_TRUE(eclipse.Active());
    EXPECT_FALSE(eclipse.Overlay()->isVisible());
}

} // namespace
