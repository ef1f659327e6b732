// SPDX-License-Identifier: MIT
#include "CountDown.h"
#include "PaintProbe.h"
#include "ProcessTimer.h"
#include "RoundRobin.h"
#include "TestSupport.h"
#include "jvShape.h"

#include <QElapsedTimer>

#include <gtest/gtest.h>

using namespace morlith;
using namespace morlith::test;

namespace {

const QColor kPureBlue(0, 0, 255);
const QColor kLightest(175, 175, 255);

TEST(RoundRobin, StepGivesPureBlueAtPositionAndLighterColoursClockwise)
{
    std::vector<std::unique_ptr<TjvShape>> shapes;
    TRoundRobin ring;
    for (int i = 0; i < 8; ++i) {
        shapes.push_back(std::make_unique<TjvShape>());
        ring.AddShape(shapes.back().get());
    }
    ring.Step();
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(shapes[i]->GradientColor(), QColor(25 * i, 25 * i, 255)) << i;
    EXPECT_EQ(ring.Position(), 1);
    for (int i = 0; i < 7; ++i)
        ring.Step();
    EXPECT_EQ(ring.Position(), 0);
    EXPECT_EQ(shapes[7]->GradientColor(), kPureBlue);
    EXPECT_EQ(shapes[6]->GradientColor(), kLightest);
}

TEST(RoundRobin, EmptyRingStepsHarmlesslyAndARunningRingTakesNoShapes)
{
    TRoundRobin ring;
    ring.Step();
    EXPECT_EQ(ring.Position(), 0);
    TjvShape shape;
    ring.Timer().SetInterval(100000);
    ring.Timer().SetRunning(true);
    ring.AddShape(&shape);
    EXPECT_TRUE(ring.Shapes().empty());
    ring.Timer().SetRunning(false);
    ring.AddShape(&shape);
    EXPECT_EQ(ring.Shapes().size(), 1u);
}

TEST(CountDown, FormIsARingOfEightGradientCircles)
{
    TCountDownDlg dialog;
    EXPECT_EQ(dialog.size(), QSize(213, 188));
    EXPECT_TRUE(dialog.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.Shape(2)->geometry(), QRect(151, 76, 35, 35));
    EXPECT_EQ(dialog.Shape(7)->geometry(), QRect(49, 35, 35, 35));
    for (int i = 0; i < 8; ++i) {
        const TjvShape *circle = dialog.Shape(i);
        EXPECT_EQ(circle->Shape(), TjvShapeType::jstCircle);
        EXPECT_TRUE(circle->Gradient());
        EXPECT_TRUE(circle->byUser());
        EXPECT_EQ(circle->FillDirection(), TjvFillDirection::jgdSWNE);
        EXPECT_EQ(circle->Pen().style(), Qt::NoPen);
        EXPECT_EQ(dialog.RoundRobin()->Shapes()[i], circle);
    }
    EXPECT_EQ(dialog.ProcessTimer()->MaxTickCount(), 10u);
    EXPECT_EQ(dialog.ProcessTimer()->Interval(), 100);
}

TEST(CountDown, OnlyTheCirclesAreVisible)
{
    TCountDownDlg dialog;
    const QRegion mask = dialog.mask();
    EXPECT_FALSE(mask.contains(QPoint(0, 0)));
    EXPECT_FALSE(mask.contains(QPoint(106, 94)));
    for (int i = 0; i < 8; ++i)
        EXPECT_TRUE(mask.contains(dialog.Shape(i)->geometry().center())) << i;

    // No pixel the mask lets through shows the red form colour.
    QImage image(dialog.size(), QImage::Format_RGB32);
    dialog.render(&image);
    int shown = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (!mask.contains(QPoint(x, y)))
                continue;
            ++shown;
            ASSERT_NE(Pixel(image, x, y), QColor(Qt::red)) << x << "," << y;
        }
    }
    EXPECT_GT(shown, 8 * 800);
}

TEST(CountDown, RunsTenStepsThenReturnsAndTheNextRunStartsTwoPlacesOn)
{
    TCountDownDlg dialog;
    int ticks = 0;
    const auto step = dialog.ProcessTimer()->OnTimer;
    dialog.ProcessTimer()->OnTimer = [&](TProcessTimer *sender) {
        ++ticks;
        EXPECT_TRUE(dialog.isVisible());
        step(sender);
    };

    QElapsedTimer clock;
    clock.start();
    dialog.StartCountDown();
    EXPECT_GE(clock.elapsed(), 10 * 100 - 10);
    EXPECT_EQ(ticks, 10);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.Shape(1)->GradientColor(), kPureBlue);
    EXPECT_EQ(dialog.Shape(0)->GradientColor(), kLightest);
    EXPECT_EQ(dialog.RoundRobin()->Position(), 2);

    // Stopping a finished countdown neither waits nor fires; it only hides.
    int stops = 0;
    dialog.ProcessTimer()->OnStop = [&](TProcessTimer *) { ++stops; };
    clock.restart();
    dialog.StopCountDown();
    EXPECT_LT(clock.elapsed(), TProcessTimer::kStopPauseMs / 2);
    EXPECT_EQ(stops, 0);
    EXPECT_FALSE(dialog.isVisible());

    // The next countdown's first step turns Shape3 pure blue.
    dialog.RoundRobin()->Step();
    EXPECT_EQ(dialog.Shape(2)->GradientColor(), kPureBlue);
}

TEST(CountDown, StopDuringARunEndsItAndHides)
{
    TCountDownDlg dialog;
    dialog.ProcessTimer()->OnTimer = [&](TProcessTimer *) { dialog.StopCountDown(); };
    QElapsedTimer clock;
    clock.start();
    dialog.StartCountDown();
    EXPECT_LT(clock.elapsed(), 900);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_FALSE(dialog.ProcessTimer()->Running());
}

} // namespace
