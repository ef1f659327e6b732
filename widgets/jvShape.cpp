// SPDX-License-Identifier: MIT
#include "jvShape.h"

#include "GradientFill.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPainterPathStroker>

#include <algorithm>

namespace morlith {

namespace {

// Stores `value` and runs `changed` unless it equals what is stored.
template <class T, class F>
void Assign(T &field, const T &value, F changed)
{
    if (field == value)
        return;
    field = value;
    changed();
}

// Extra width of a shaded shape's outline band, in pixels: it covers what the flattening of a curve
// moves, yet stays below a 45-degree line's neighbouring pixels (0.707 from its middle).
constexpr double kBandSlack = 0.2;

} // namespace

TjvShape::TjvShape(QWidget *parent)
    : QWidget(parent), FPen(Qt::black, 1, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin),
      FBrush(Qt::white, Qt::SolidPattern)
{
    resize(kDefaultSize, kDefaultSize);
}

void TjvShape::SetPen(const QPen &pen) { Assign(FPen, pen, [this] { update(); }); }
void TjvShape::SetBrush(const QBrush &brush) { Assign(FBrush, brush, [this] { update(); }); }
void TjvShape::SetShape(TjvShapeType shape) { Assign(FShape, shape, [this] { update(); }); }
void TjvShape::SetCaption(const QString &caption) { Assign(FCaption, caption, [this] { update(); }); }
void TjvShape::SetCaptionAngle(int degrees) { Assign(FCaptionAngle, degrees, [this] { update(); }); }
void TjvShape::SetCaptionX(int x) { Assign(FCaptionX, x, [this] { update(); }); }
void TjvShape::SetCaptionY(int y) { Assign(FCaptionY, y, [this] { update(); }); }
void TjvShape::SetbyUser(bool byUser) { Assign(FByUser, byUser, [this] { update(); }); }

void TjvShape::SetCaptionCentered(bool centered)
{
    Assign(FCaptionCentered, centered, [this] { update(); });
}

void TjvShape::SetFillDirection(TjvFillDirection direction)
{
    Assign(FFillDirection, direction, [this] { repaint(); });
}

void TjvShape::SetGradientColor(const QColor &color)
{
    Assign(FGradientColor, color, [this] { repaint(); });
}

void TjvShape::SetGradient(bool gradient)
{
    Assign(FGradient, gradient, [this] { repaint(); });
}

TShapeBox TjvShape::ShapeBox() const
{
    // A pen that draws nothing still insets the shape by its width.
    return ComputeShapeBox(FShape, width(), height(), FPen.width());
}

void TjvShape::paintEvent(QPaintEvent *)
{
    const TShapeBox box = ShapeBox();
    {
        QPainter painter(this);
        PaintShape(painter, box);
        if (!FByUser)
            PaintCaption(painter, box);
    }
    // The painter is closed first so that the handler can paint on the control itself.
    if (FByUser)
        Fire(onUserDraw, this);
}

void TjvShape::PaintShape(QPainter &painter, const TShapeBox &box)
{
    const TShapeOutline outline = BuildShapeOutline(FShape, box);
    if (!outline.arms.empty())
        PaintPipeArms(painter, outline);
    else if (FGradient)
        PaintShaded(painter, outline);
    else
        PaintFilled(painter, outline);
}

void TjvShape::PaintPipeArms(QPainter &painter, const TShapeOutline &outline)
{
    // Pipes show only as gradients, each arm shaded across its width, without outline.
    if (!FGradient)
        return;
    for (const TPipeArm &arm : outline.arms) {
        const auto across =
            arm.vertical ? TjvFillDirection::jgdHorizCenter : TjvFillDirection::jgdVertCenter;
        PaintGradient(painter, arm.rect, across, FBrush.color(), FGradientColor);
    }
}

double TjvShape::PenOffset() const
{
    return FPen.width() % 2 == 0 && FPen.width() > 0 ? 0.0 : 0.5;
}

void TjvShape::PaintFilled(QPainter &painter, const TShapeOutline &outline)
{
    // Without a pen each primitive fills its whole box.
    const bool penless = FPen.style() == Qt::NoPen;
    const double offset = penless ? 0.0 : PenOffset();
    painter.setPen(FPen);
    painter.setBrush(FBrush);
    painter.translate(offset, offset);
    for (const TShapeStroke &stroke : outline.strokes)
        painter.drawPath(penless ? stroke.area : stroke.line);
    painter.resetTransform();
}

void TjvShape::PaintShaded(QPainter &painter, const TShapeOutline &outline)
{
    if (FPen.style() == Qt::NoPen) {
        painter.setClipPath(outline.region);
        PaintGradient(painter, rect(), FFillDirection, FBrush.color(), FGradientColor);
        painter.setClipping(false);
        return;
    }
    // The gradient fills up to the middle of the pen's line and the outline is filled as a band
    // around that line: one rasterisation for both, so that no pixel of background shows between
    // them (an aliased stroke strays up to a pixel from its curve on the diagonals).
    const double offset = PenOffset();
    painter.setClipPath(outline.lineRegion.translated(offset, offset));
    PaintGradient(painter, rect(), FFillDirection, FBrush.color(), FGradientColor);
    painter.setClipping(false);
    QPainterPathStroker band(FPen);
    band.setWidth(std::max(FPen.widthF(), 1.0) + kBandSlack);
    for (const TShapeStroke &stroke : outline.strokes)
        painter.fillPath(band.createStroke(stroke.line).translated(offset, offset), FPen.color());
}

void TjvShape::PaintCaption(QPainter &painter, const TShapeBox &box)
{
    if (FCaption.isEmpty())
        return;
    const QFontMetrics metrics(font());
    const int tw = metrics.horizontalAdvance(FCaption), th = metrics.height();
    // A caption wider or higher than the shape starts 5 pixels in, even when centred.
    int x = tw <= box.x1 ? (width() - tw) / 2 : kDefaultCaptionOffset;
    int y = th <= box.y1 ? (height() - th) / 2 : kDefaultCaptionOffset;
    if (!FCaptionCentered) {
        x = FCaptionX;
        y = FCaptionY;
    }
    painter.setFont(font());
    painter.setPen(palette().color(QPalette::WindowText));
    painter.translate(x, y);
    painter.rotate(-FCaptionAngle);
    painter.drawText(0, metrics.ascent(), FCaption);
}

} // namespace morlith
