// SPDX-License-Identifier: MIT
#include "GradientFill.h"
#include "PaintProbe.h"

#include <QPainter>

#include <gtest/gtest.h>

#include <set>

using namespace morlith;
using namespace morlith::test;

namespace {

const QColor kFrom(200, 40, 0);
const QColor kTo(0, 140, 250);

QImage Paint(TjvFillDirection direction, QSize size = QSize(120, 80))
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(kUnpainted);
    QPainter painter(&image);
    PaintGradient(painter, image.rect(), direction, kFrom, kTo);
    return image;
}

bool Between(int value, int a, int b)
{
    return value >= std::min(a, b) && value <= std::max(a, b);
}

TEST(GradientFill, MulDivRoundsHalvesAwayFromZero)
{
    EXPECT_EQ(MulDiv(1, 1, 2), 1);
    EXPECT_EQ(MulDiv(-1, 1, 2), -1);
    EXPECT_EQ(MulDiv(3, -20, 255), 0);
    EXPECT_EQ(MulDiv(252, -20, 255), -20);
    EXPECT_EQ(MulDiv(255, 77, 255), 77);
    EXPECT_EQ(MulDiv(7, 9, 0), 0);
    EXPECT_EQ(GradientStepColor(kFrom, kTo, 0, 255), kFrom);
    EXPECT_EQ(GradientStepColor(kFrom, kTo, 255, 255), kTo);
}

TEST(GradientFill, EveryPatternShadesBetweenItsTwoColours)
{
    for (int ordinal = 0; ordinal < kFillDirectionCount; ++ordinal) {
        const auto direction = static_cast<TjvFillDirection>(ordinal);
        const QImage image = Paint(direction);
        std::set<QRgb> colours;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const QColor c = Pixel(image, x, y);
                if (c == kUnpainted)
                    continue;
                colours.insert(c.rgb());
                ASSERT_TRUE(Between(c.red(), kFrom.red(), kTo.red()) &&
                            Between(c.green(), kFrom.green(), kTo.green()) &&
                            Between(c.blue(), kFrom.blue(), kTo.blue()))
                    << FillDirectionName(direction) << " at " << x << "," << y;
            }
        }
        EXPECT_GT(colours.size(), 20u) << FillDirectionName(direction);
    }
}

TEST(GradientFill, PatternsStartWhereTheirNamesSay)
{
    struct TCase {
        TjvFillDirection direction;
        QPoint start; // where step 0 lies
        QPoint end;   // where the last steps lie
    };
    using D = TjvFillDirection;
    // The start colour is the brush colour except for jgdDown, jgdRight, jgdRectOut, jgdCircOut.
    const TCase cases[] = {
        {D::jgdUp, {60, 0}, {60, 79}},         {D::jgdDown, {60, 0}, {60, 79}},
        {D::jgdLeft, {0, 40}, {119, 40}},      {D::jgdRight, {0, 40}, {119, 40}},
        {D::jgdHorizCenter, {0, 40}, {60, 40}}, {D::jgdVertCenter, {60, 79}, {60, 40}},
        {D::jgdRectIn, {0, 0}, {60, 40}},      {D::jgdRectOut, {0, 0}, {60, 40}},
        {D::jgdNWSE, {0, 0}, {119, 79}},       {D::jgdNESW, {119, 0}, {0, 79}},
        {D::jgdSENW, {119, 79}, {0, 0}},       {D::jgdSWNE, {0, 79}, {119, 0}},
        {D::jgdUright, {0, 40}, {119, 40}},    {D::jgdULeft, {119, 40}, {0, 40}},
        {D::jgdUUp, {60, 79}, {60, 0}},        {D::jgdUDown, {60, 0}, {60, 79}},
        {D::jgdLNE, {0, 79}, {119, 0}},        {D::jgdLNW, {119, 79}, {0, 0}},
        {D::jgdUpDown, {0, 0}, {0, 79}},       {D::jgdLeftRight, {0, 0}, {119, 0}},
    };
    // Bands thinner than a pixel let a few early steps share the first row: allow a little.
    const auto near = [](const QColor &a, const QColor &b) {
        return std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) +
                   std::abs(a.blue() - b.blue()) <=
               20;
    };
    for (const TCase &c : cases) {
        const QImage image = Paint(c.direction);
        const bool reversed = c.direction == D::jgdDown || c.direction == D::jgdRight ||
                              c.direction == D::jgdRectOut;
        EXPECT_TRUE(near(Pixel(image, c.start.x(), c.start.y()), reversed ? kTo : kFrom))
            << FillDirectionName(c.direction);
        EXPECT_TRUE(near(Pixel(image, c.end.x(), c.end.y()), reversed ? kFrom : kTo))
            << FillDirectionName(c.direction);
    }
    // The right half of jgdUpDown starts at the bottom.
    EXPECT_TRUE(near(Pixel(Paint(D::jgdUpDown), 119, 79), kFrom));
    EXPECT_EQ(Pixel(Paint(D::jgdHorizCenter), 60, 0), kTo);
}

TEST(GradientFill, StaysInsideItsAreaAndSurvivesTinyAreas)
{
    QImage image(100, 100, QImage::Format_RGB32);
    for (int ordinal = 0; ordinal <= kFillDirectionCount; ++ordinal) {
        image.fill(kUnpainted);
        {
            QPainter painter(&image);
            PaintGradient(painter, QRect(10, 20, 30, 40), static_cast<TjvFillDirection>(ordinal),
                          kFrom, kTo);
            PaintGradient(painter, QRect(90, 90, 1, 1), static_cast<TjvFillDirection>(ordinal),
                          kFrom, kTo);
            PaintGradient(painter, QRect(80, 80, 0, 5), static_cast<TjvFillDirection>(ordinal),
                          kFrom, kTo);
        }
        image.setPixel(90, 90, kUnpainted.rgb());
        const QRect painted = PaintedBounds(image);
        if (ordinal == kFillDirectionCount)
            EXPECT_TRUE(painted.isEmpty());
        else
            EXPECT_TRUE(QRect(10, 20, 30, 40).contains(painted)) << ordinal;
    }
}

} // namespace
