// SPDX-License-Identifier: MIT
#include "jvShape.h"
#include "PaintProbe.h"
#include "TestSupport.h"

#include "GradientFill.h"

#include <gtest/gtest.h>

using namespace morlith;
using namespace morlith::test;

namespace {

const QColor kTitleGreen(118, 185, 0);
const QColor kTitleGreenDark(98, 171, 0);

// A shape of the given size and type with a flat fill and no outline.
std::unique_ptr<TjvShape> MakeShape(int width, int height, TjvShapeType type,
                                    const QColor &fill = Qt::white)
{
    auto shape = std::make_unique<TjvShape>();
    shape->resize(width, height);
    shape->SetShape(type);
    shape->SetBrush(fill);
    shape->SetPen(QPen(Qt::NoPen));
    return shape;
}

// Counts its paints.
class TCountingShape : public TjvShape {
public:
    int Paints = 0;

protected:
    void paintEvent(QPaintEvent *event) override
    {
        ++Paints;
        TjvShape::paintEvent(event);
    }
};

TEST(JvShape, StartsAsAWhiteSquareWithABlackOutline)
{
    TjvShape shape;
    EXPECT_EQ(shape.size(), QSize(65, 65));
    EXPECT_EQ(shape.Shape(), TjvShapeType::jstRectangle);
    EXPECT_EQ(shape.FillDirection(), TjvFillDirection::jgdUp);
    EXPECT_EQ(shape.Brush().color(), QColor(Qt::white));
    EXPECT_EQ(shape.Pen().color(), QColor(Qt::black));
    EXPECT_EQ(shape.Pen().width(), 1);
    EXPECT_FALSE(shape.Gradient());
    EXPECT_EQ(shape.GradientColor(), QColor(Qt::black));
    EXPECT_EQ(shape.CaptionX(), 5);
    EXPECT_EQ(shape.CaptionY(), 5);
    EXPECT_TRUE(shape.CaptionCentered());
    EXPECT_EQ(shape.Thickness(), 10);

    const QImage image = RenderAlone(shape);
    EXPECT_EQ(Pixel(image, 0, 30), QColor(Qt::black));
    EXPECT_EQ(Pixel(image, 64, 30), QColor(Qt::black));
    EXPECT_EQ(Pixel(image, 30, 64), QColor(Qt::black));
    EXPECT_EQ(Pixel(image, 30, 30), QColor(Qt::white));
}

TEST(JvShape, BoxIsInsetByHalfThePenAndSquaresAreCentred)
{
    for (int pen : {0, 1}) {
        const TShapeBox box = ComputeShapeBox(TjvShapeType::jstRectangle, 100, 60, pen);
        EXPECT_EQ(QRect(box.x0, box.y0, box.w, box.h), QRect(0, 0, 100, 60)) << pen;
    }
    const TShapeBox thick = ComputeShapeBox(TjvShapeType::jstRectangle, 100, 60, 4);
    EXPECT_EQ(QRect(thick.x0, thick.y0, thick.w, thick.h), QRect(2, 2, 97, 57));
    EXPECT_EQ(thick.x1, 98);

    const TShapeBox circle = ComputeShapeBox(TjvShapeType::jstCircle, 100, 60, 1);
    EXPECT_EQ(QRect(circle.x0, circle.y0, circle.w, circle.h), QRect(20, 0, 60, 60));

    auto round = MakeShape(100, 60, TjvShapeType::jstCircle, Qt::blue);
    EXPECT_EQ(PaintedBounds(RenderAlone(*round)), QRect(20, 0, 60, 60));
    round->SetPen(QPen(Qt::black, 1));
    EXPECT_EQ(PaintedBounds(RenderAlone(*round)), QRect(20, 0, 60, 60));
    round->SetShape(TjvShapeType::jstEllipse);
    EXPECT_EQ(PaintedBounds(RenderAlone(*round)), QRect(0, 0, 100, 60));
}

TEST(JvShape, TitleBarGradientRunsFromBrushColourAtTheTopToGradientColour)
{
    auto bar = MakeShape(600, 40, TjvShapeType::jstRectangle, kTitleGreen);
    bar->SetGradientColor(kTitleGreenDark);
    bar->SetGradient(true);
    QImage image = RenderAlone(*bar);
    for (int x : {0, 300, 599}) {
        EXPECT_EQ(Pixel(image, x, 0), kTitleGreen);
        EXPECT_EQ(Pixel(image, x, 39), kTitleGreenDark);
    }
    bar->SetFillDirection(TjvFillDirection::jgdDown);
    image = RenderAlone(*bar);
    EXPECT_EQ(Pixel(image, 300, 0), kTitleGreenDark);
    EXPECT_EQ(Pixel(image, 300, 39), kTitleGreen);
}

TEST(JvShape, GradientIsClippedToTheShapeWithTheOutlineOnTop)
{
    auto circle = MakeShape(80, 80, TjvShapeType::jstCircle, Qt::yellow);
    circle->SetGradientColor(Qt::blue);
    circle->SetFillDirection(TjvFillDirection::jgdLeft);
    circle->SetGradient(true);
    circle->SetPen(QPen(Qt::red, 1));
    const QImage image = RenderAlone(*circle);
    EXPECT_EQ(Pixel(image, 2, 2), kUnpainted);
    EXPECT_EQ(Pixel(image, 77, 77), kUnpainted);
    EXPECT_EQ(Pixel(image, 40, 0), QColor(Qt::red));
    EXPECT_EQ(Pixel(image, 0, 40), QColor(Qt::red));
    EXPECT_EQ(Pixel(image, 79, 40), QColor(Qt::red));
    EXPECT_EQ(Pixel(image, 40, 79), QColor(Qt::red));
    const QColor middle = Pixel(image, 40, 40);
    EXPECT_NE(middle, QColor(Qt::yellow));
    EXPECT_NE(middle, QColor(Qt::blue));
    // The gradient spans the whole control, as it does under a rectangle.
    circle->SetShape(TjvShapeType::jstRectangle);
    circle->SetPen(QPen(Qt::NoPen));
    const QImage plain = RenderAlone(*circle);
    for (int x : {3, 40, 76})
        EXPECT_EQ(Pixel(image, x, 40), Pixel(plain, x, 40)) << x;
}

TEST(JvShape, DiagonalSWNEStartsAtTheBottomLeftCorner)
{
    const QColor from(10, 20, 30), to(250, 200, 100);
    auto shape = MakeShape(200, 100, TjvShapeType::jstRectangle, from);
    shape->SetGradientColor(to);
    shape->SetFillDirection(TjvFillDirection::jgdSWNE);
    shape->SetGradient(true);
    const QImage image = RenderAlone(*shape);
    EXPECT_EQ(Pixel(image, 0, 99), from);
    EXPECT_EQ(Pixel(image, 199, 0), GradientStepColor(from, to, 254, 255));
    // Pixels on one anti-diagonal share a band.
    EXPECT_EQ(Pixel(image, 50, 49), Pixel(image, 60, 59));
}

TEST(JvShape, PipesPaintOnlyWithGradientAndWithoutOutline)
{
    for (auto type : {TjvShapeType::jstPipeNodeTopLeft, TjvShapeType::jstTPipeVT,
                      TjvShapeType::jstTPipeVB, TjvShapeType::jstPipeNodeBottomRight}) {
        auto pipe = MakeShape(60, 60, type, Qt::white);
        pipe->SetPen(QPen(Qt::red, 3));
        pipe->SetGradientColor(Qt::darkBlue);
        EXPECT_TRUE(PaintedBounds(RenderAlone(*pipe)).isEmpty()) << ShapeTypeName(type);
        pipe->SetGradient(true);
        const QImage image = RenderAlone(*pipe);
        EXPECT_FALSE(PaintedBounds(image).isEmpty()) << ShapeTypeName(type);
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                ASSERT_NE(Pixel(image, x, y), QColor(Qt::red)) << ShapeTypeName(type);
    }
    // A vertical arm is shaded across: its side edges have the brush colour, its middle the
    // gradient colour.
    auto stem = MakeShape(60, 60, TjvShapeType::jstTPipeVT, Qt::white);
    stem->SetGradientColor(Qt::darkBlue);
    stem->SetGradient(true);
    const QImage image = RenderAlone(*stem);
    const TShapeBox box = stem->ShapeBox();
    EXPECT_EQ(Pixel(image, box.x0 + box.w4, 50), QColor(Qt::white));
    EXPECT_EQ(Pixel(image, 30, 2), Pixel(image, 30, 27));
}

TEST(JvShape, EveryShapeStaysInsideItsBox)
{
    for (int ordinal = 0; ordinal < kShapeTypeCount; ++ordinal) {
        const auto type = static_cast<TjvShapeType>(ordinal);
        auto shape = MakeShape(70, 50, type, Qt::darkGreen);
        shape->SetGradient(true);
        shape->SetGradientColor(Qt::cyan);
        const QImage image = RenderAlone(*shape);
        const TShapeBox box = shape->ShapeBox();
        const QRect painted = PaintedBounds(image);
        EXPECT_FALSE(painted.isEmpty()) << ShapeTypeName(type);
        EXPECT_TRUE(QRect(box.x0, box.y0, box.w, box.h).contains(painted))
            << ShapeTypeName(type) << " painted " << painted.x() << "," << painted.y() << " "
            << painted.width() << "x" << painted.height();
    }
}

TEST(JvShape, HolesShowWhatIsBehind)
{
    for (auto type : {TjvShapeType::jstTorus, TjvShapeType::jstFrame, TjvShapeType::jst1Hole}) {
        for (bool gradient : {false, true}) {
            auto shape = MakeShape(80, 80, type, Qt::darkGreen);
            shape->SetGradient(gradient);
            EXPECT_EQ(Pixel(RenderAlone(*shape), 40, 40), kUnpainted) << ShapeTypeName(type);
        }
    }
}

TEST(JvShape, CaptionIsCentredOrStartsFiveInWhenTooWide)
{
    auto shape = MakeShape(200, 40, TjvShapeType::jstRectangle);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(14);
    shape->setFont(font);
    const auto leftmostInk = [&] {
        const QImage image = RenderAlone(*shape);
        for (int x = 0; x < image.width(); ++x)
            for (int y = 0; y < image.height(); ++y)
                if (Pixel(image, x, y).lightness() < 128)
                    return x;
        return -1;
    };
    EXPECT_EQ(leftmostInk(), -1);
    shape->SetCaption(QStringLiteral("III"));
    const int tw = QFontMetrics(font).horizontalAdvance(QStringLiteral("III"));
    EXPECT_NEAR(leftmostInk(), (200 - tw) / 2, 3);
    shape->SetCaption(QString(60, QLatin1Char('W')));
    EXPECT_NEAR(leftmostInk(), 5, 3);
    shape->SetCaptionCentered(false);
    shape->SetCaptionX(40);
    EXPECT_NEAR(leftmostInk(), 40, 3);

    // byUser hands the paint over and draws no caption.
    shape->SetbyUser(true);
    EXPECT_EQ(leftmostInk(), -1);
    int calls = 0;
    shape->onUserDraw = [&](TjvShape *sender) {
        EXPECT_EQ(sender, shape.get());
        ++calls;
    };
    leftmostInk();
    EXPECT_EQ(calls, 1);
}

TEST(JvShape, GradientSettersRepaintAtOnceOthersLaterAndEqualValuesNotAtAll)
{
    QWidget host;
    host.resize(100, 100);
    auto *shape = new TCountingShape;
    shape->setParent(&host);
    host.show();
    ASSERT_TRUE(RunEventsUntil([&] { return shape->Paints > 0; }));
    RunEventsFor(20);
    const int before = shape->Paints;

    shape->SetGradientColor(Qt::black);
    shape->SetGradient(false);
    shape->SetFillDirection(TjvFillDirection::jgdUp);
    shape->SetShape(TjvShapeType::jstRectangle);
    RunEventsFor(20);
    EXPECT_EQ(shape->Paints, before);

    shape->SetGradientColor(Qt::blue);
    EXPECT_EQ(shape->Paints, before + 1);
    shape->SetShape(TjvShapeType::jstCircle);
    EXPECT_EQ(shape->Paints, before + 1);
    ASSERT_TRUE(RunEventsUntil([&] { return shape->Paints == before + 2; }));
}

TEST(JvShape, OddPropertyValuesNeverBreakAPaint)
{
    const auto badShape = static_cast<TjvShapeType>(200);
    const auto badDirection = static_cast<TjvFillDirection>(99);
    for (int ordinal = 0; ordinal <= kShapeTypeCount; ++ordinal) {
        const auto type = ordinal < kShapeTypeCount ? static_cast<TjvShapeType>(ordinal) : badShape;
        for (QSize size : {QSize(0, 0), QSize(1, 1), QSize(3, 2), QSize(40, 1)}) {
            for (int pen : {0, 1, 5, 100000}) {
                auto shape = MakeShape(size.width(), size.height(), type, Qt::red);
                shape->SetPen(QPen(Qt::black, pen));
                shape->SetGradient(true);
                shape->SetCaption(QStringLiteral("x"));
                if (!size.isEmpty())
                    RenderAlone(*shape);
                shape->SetFillDirection(badDirection);
                if (!size.isEmpty())
                    RenderAlone(*shape);
            }
        }
    }
    auto shape = MakeShape(40, 40, badShape, Qt::red);
    EXPECT_TRUE(PaintedBounds(RenderAlone(*shape)).isEmpty());
    EXPECT_STREQ(ShapeTypeName(badShape), "?");
}

} // namespace
