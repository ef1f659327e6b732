// SPDX-License-Identifier: MIT
// How the solid shapes are drawn: the cubes' edges, the roofs standing on their eaves, and hole
// outlines that meet the gradient with no gap.

#include "jvShape.h"
#include "PaintProbe.h"

#include <gtest/gtest.h>

#include <memory>
#include <tuple>
#include <utility>

using namespace morlith;
using namespace morlith::test;

namespace {

const QColor kFill(0, 128, 0);
const QColor kOutline(Qt::red);

// A shape of `type` filled with kFill and outlined by a 1-pixel kOutline pen.
std::unique_ptr<TjvShape> MakeOutlinedShape(int width, int height, TjvShapeType type,
                                            bool gradient)
{
    auto shape = std::make_unique<TjvShape>();
    shape->resize(width, height);
    shape->SetShape(type);
    shape->SetBrush(kFill);
    shape->SetPen(QPen(kOutline, 1));
    // A gradient between equal colours fills the clip region with kFill.
    shape->SetGradientColor(kFill);
    shape->SetGradient(gradient);
    return shape;
}

// The first and last painted column of row `y`, or (-1, -1) when nothing is painted there.
std::pair<int, int> PaintedSpan(const QImage &image, int y)
{
    int first = -1, last = -1;
    for (int x = 0; x < image.width(); ++x)
        if (Pixel(image, x, y) != kUnpainted) {
            if (first < 0)
                first = x;
            last = x;
        }
    return {first, last};
}

TEST(ShapeDrawing, EveryCubeShowsTheEdgeFromTheFrontFaceToTheBackCorner)
{
    // jstCubeUpRight's edge runs at 45 degrees from the front face's corner (x1 - w/4, y0 + h/4)
    // to the back corner (x1, y0); the others are its mirror images. An aliased line may round
    // a pixel aside, so each row of the edge needs an outline pixel within one of the diagonal.
    const std::tuple<TjvShapeType, bool, bool> cubes[] = {
        {TjvShapeType::jstCubeUpRight, false, false}, {TjvShapeType::jstCubeUpLeft, true, false},
        {TjvShapeType::jstCubeDownRight, false, true}, {TjvShapeType::jstCubeDownLeft, true, true}};
    for (const auto &[type, mirrorX, mirrorY] : cubes) {
        for (bool gradient : {false, true}) {
            auto shape = MakeOutlinedShape(81, 81, type, gradient);
            const TShapeBox b = shape->ShapeBox();
            const QImage image = RenderAlone(*shape);
            const auto at = [&](int x, int y) {
                return Pixel(image, mirrorX ? b.x0 + b.x1 - x : x, mirrorY ? b.y0 + b.y1 - y : y);
            };
            const int innerX = b.x1 - b.w4, innerY = b.y0 + b.h4;
            for (int step = 2; step < b.w4 - 1; ++step) {
                const int x = innerX + step, y = innerY - step;
                EXPECT_TRUE(at(x - 1, y) == kOutline || at(x, y) == kOutline || at(x + 1, y) == kOutline)
                    << ShapeTypeName(type) << (gradient ? " shaded" : " flat") << " step " << step;
            }
            EXPECT_EQ(at(innerX + 4, innerY - 8), kFill) << "top face " << ShapeTypeName(type);
            EXPECT_EQ(at(innerX + 8, innerY - 4), kFill) << "side face " << ShapeTypeName(type);
        }
    }
}

TEST(ShapeDrawing, EveryRoofStandsOnItsEavesAndTheBackRoofIsNotTheFrontUpsideDown)
{
    for (auto type : {TjvShapeType::jstRoofRight, TjvShapeType::jstRoofLeft,
                      TjvShapeType::jstRoofFront, TjvShapeType::jstRoofBack}) {
        auto shape = MakeOutlinedShape(80, 60, type, false);
        const TShapeBox b = shape->ShapeBox();
        const QImage image = RenderAlone(*shape);
        // A few rows down from the top, clear of how an aliased apex rounds.
        const auto [topFirst, topLast] = PaintedSpan(image, b.y0 + 3);
        EXPECT_EQ(PaintedSpan(image, b.y1), std::make_pair(b.x0, b.x1)) << ShapeTypeName(type);
        ASSERT_GE(topFirst, 0) << ShapeTypeName(type);
        EXPECT_LT(topLast - topFirst, b.w * 3 / 4) << ShapeTypeName(type);
    }
    auto front = MakeOutlinedShape(80, 60, TjvShapeType::jstRoofFront, false);
    auto back = MakeOutlinedShape(80, 60, TjvShapeType::jstRoofBack, false);
    const QImage frontImage = RenderAlone(*front);
    EXPECT_NE(RenderAlone(*back), frontImage.mirrored(false, true));
    EXPECT_NE(RenderAlone(*back), frontImage);
}

// Counts gradient pixels that touch the background directly (left, right, above or below),
// with no outline pixel between them.
int GapsBetweenFillAndBackground(const QImage &image)
{
    int gaps = 0;
    for (int y = 1; y + 1 < image.height(); ++y)
        for (int x = 1; x + 1 < image.width(); ++x) {
            if (Pixel(image, x, y) != kFill)
                continue;
            for (QPoint n : {QPoint(x - 1, y), QPoint(x + 1, y), QPoint(x, y - 1), QPoint(x, y + 1)})
                if (Pixel(image, n.x(), n.y()) == kUnpainted)
                    ++gaps;
        }
    return gaps;
}

TEST(ShapeDrawing, HoleOutlinesMeetTheGradientWithNoGap)
{
    const TjvShapeType types[] = {TjvShapeType::jstTorus, TjvShapeType::jst1Hole,
                                  TjvShapeType::jst1HoleBig, TjvShapeType::jst2HoleHoriz,
                                  TjvShapeType::jst2HoleVert, TjvShapeType::jstFrame};
    const QSize sizes[] = {{80, 80}, {97, 61}, {120, 75}, {41, 33}, {200, 90}, {64, 150}};
    for (auto type : types) {
        for (QSize size : sizes) {
            auto shape = MakeOutlinedShape(size.width(), size.height(), type, true);
            const QImage image = RenderAlone(*shape);
            EXPECT_EQ(GapsBetweenFillAndBackground(image), 0)
                << ShapeTypeName(type) << " " << size.width() << "x" << size.height();
            // The holes still show what is behind.
            const TShapeBox b = shape->ShapeBox();
            const QPoint inHole = type == TjvShapeType::jst2HoleHoriz ? QPoint(b.x0 + b.w4, b.y0 + b.h2)
                                  : type == TjvShapeType::jst2HoleVert ? QPoint(b.x0 + b.w2, b.y0 + b.h4)
                                                                       : QPoint(b.x0 + b.w2, b.y0 + b.h2);
            EXPECT_EQ(Pixel(image, inHole.x(), inHole.y()), kUnpainted) << ShapeTypeName(type);
        }
    }
}

} // namespace
