// SPDX-License-Identifier: MIT
// The shapes made of rectangles, ellipses and pies, and the pipe shapes.

#include "ShapeBuilders.h"

namespace morlith::shapes {

namespace {

// An ellipse in `outer` with an elliptic hole inset by (dx, dy).
void AddRing(TOutlineBuilder &out, const QRect &outer, int dx, int dy)
{
    out.Add(EllipsePrimitive(outer.left(), outer.top(), outer.right(), outer.bottom()));
    out.AddHole(EllipsePrimitive(outer.left() + dx, outer.top() + dy, outer.right() - dx,
                                 outer.bottom() - dy));
}

// The box with a hole inset by (dx, dy), rectangular or elliptic.
void AddPierced(TOutlineBuilder &out, const TShapeBox &b, int dx, int dy, bool ellipticHole)
{
    out.Add(RectPrimitive(b.x0, b.y0, b.x1, b.y1));
    const auto hole = ellipticHole ? EllipsePrimitive : RectPrimitive;
    out.AddHole(hole(b.x0 + dx, b.y0 + dy, b.x1 - dx, b.y1 - dy));
}

} // namespace

void Rectangle(TOutlineBuilder &out, const TShapeBox &b)
{
    out.Add(RectPrimitive(b.x0, b.y0, b.x1, b.y1));
}

void RoundRect(TOutlineBuilder &out, const TShapeBox &b)
{
    out.Add(RoundRectPrimitive(b.x0, b.y0, b.x1, b.y1, b.s / 4));
}

void Ellipse(TOutlineBuilder &out, const TShapeBox &b)
{
    out.Add(EllipsePrimitive(b.x0, b.y0, b.x1, b.y1));
}

void BowlUp(TOutlineBuilder &out, const TShapeBox &b)
{
    // The lower half of an ellipse centred on the top edge.
    out.Add(PiePrimitive(b.x0, b.y0 - (b.h - 1), b.x1, b.y1, 180, 180));
}

void BowlLeft(TOutlineBuilder &out, const TShapeBox &b)
{
    // The right half of an ellipse centred on the left edge.
    out.Add(PiePrimitive(b.x0 - (b.w - 1), b.y0, b.x1, b.y1, -90, 180));
}

void CloudLeft(TOutlineBuilder &out, const TShapeBox &b)
{
    out.Add(EllipsePrimitive(b.x0 + b.w2, b.y0 + b.h3, b.x1, b.y1));
    out.Add(EllipsePrimitive(b.x0 + b.w4, b.y0, b.x1 - b.w8, b.y0 + b.h2 + b.h8));
    out.Add(EllipsePrimitive(b.x0, b.y0 + b.h4, b.x0 + b.w2 + b.w8, b.y1));
}

void DoubleOval(TOutlineBuilder &out, const TShapeBox &b)
{
    out.Add(EllipsePrimitive(b.x0, b.y0, b.x1 - b.w3, b.y1));
    out.Add(EllipsePrimitive(b.x0 + b.w3, b.y0, b.x1, b.y1));
}

void DoubleOvalV(TOutlineBuilder &out, const TShapeBox &b)
{
    out.Add(EllipsePrimitive(b.x0, b.y0, b.x1, b.y1 - b.h3));
    out.Add(EllipsePrimitive(b.x0, b.y0 + b.h3, b.x1, b.y1));
}

void Torus(TOutlineBuilder &out, const TShapeBox &b)
{
    AddRing(out, QRect(QPoint(b.x0, b.y0), QPoint(b.x1, b.y1)), b.w4, b.h4);
}

void Frame(TOutlineBuilder &out, const TShapeBox &b)
{
    AddPierced(out, b, b.w4, b.h4, false);
}

void FrameNarrow(TOutlineBuilder &out, const TShapeBox &b)
{
    AddPierced(out, b, b.w8, b.h8, false);
}

void TwoHoleHoriz(TOutlineBuilder &out, const TShapeBox &b)
{
    const int split = b.x0 + b.w2;
    AddRing(out, QRect(QPoint(b.x0, b.y0), QPoint(split - 1, b.y1)), b.w8, b.h4);
    AddRing(out, QRect(QPoint(split, b.y0), QPoint(b.x1, b.y1)), b.w8, b.h4);
}

void TwoHoleVert(TOutlineBuilder &out, const TShapeBox &b)
{
    const int split = b.y0 + b.h2;
    AddRing(out, QRect(QPoint(b.x0, b.y0), QPoint(b.x1, split - 1)), b.w4, b.h8);
    AddRing(out, QRect(QPoint(b.x0, split), QPoint(b.x1, b.y1)), b.w4, b.h8);
}

void PistacheTop(TOutlineBuilder &out, const TShapeBox &b)
{
    out.Add(EllipsePrimitive(b.x0, b.y0, b.x1, b.y0 + b.h2));
    out.Add(RectPrimitive(b.x0, b.y0 + b.h4, b.x1, b.y1));
}

void PistacheLeft(TOutlineBuilder &out, const TShapeBox &b)
{
    out.Add(EllipsePrimitive(b.x0, b.y0, b.x0 + b.w2, b.y1));
    out.Add(RectPrimitive(b.x0 + b.w4, b.y0, b.x1, b.y1));
}

void OneHole(TOutlineBuilder &out, const TShapeBox &b)
{
    AddPierced(out, b, b.w3, b.h3, true);
}

void OneHoleBig(TOutlineBuilder &out, const TShapeBox &b)
{
    AddPierced(out, b, b.w8, b.h8, true);
}

void Flower(TOutlineBuilder &out, const TShapeBox &b)
{
    out.Add(EllipsePrimitive(b.x0 + b.w4, b.y0, b.x1 - b.w4, b.y0 + b.h2));
    out.Add(EllipsePrimitive(b.x0 + b.w4, b.y1 - b.h2, b.x1 - b.w4, b.y1));
    out.Add(EllipsePrimitive(b.x0, b.y0 + b.h4, b.x0 + b.w2, b.y1 - b.h4));
    out.Add(EllipsePrimitive(b.x1 - b.w2, b.y0 + b.h4, b.x1, b.y1 - b.h4));
    out.Add(EllipsePrimitive(b.x0 + b.w4, b.y0 + b.h4, b.x1 - b.w4, b.y1 - b.h4));
}

void SectorTopLeft(TOutlineBuilder &out, const TShapeBox &b)
{
    // A quarter of the ellipse centred on the bottom-right corner.
    out.Add(PiePrimitive(b.x0, b.y0, b.x1 + (b.w - 1), b.y1 + (b.h - 1), 90, 90));
}

void PipeNodeTopLeft(TOutlineBuilder &out, const TShapeBox &b)
{
    out.AddArm(QRect(QPoint(b.x0, b.y0), QPoint(b.x1, b.y0 + b.h2 - 1)), false);
    out.AddArm(QRect(QPoint(b.x0, b.y0 + b.h2), QPoint(b.x0 + b.w2 - 1, b.y1)), true);
}

void TPipeVT(TOutlineBuilder &out, const TShapeBox &b)
{
    out.AddArm(QRect(QPoint(b.x0, b.y0), QPoint(b.x1, b.y0 + b.h2 - 1)), false);
    out.AddArm(QRect(QPoint(b.x0 + b.w4, b.y0 + b.h2), QPoint(b.x1 - b.w4, b.y1)), true);
}

void TPipeVL(TOutlineBuilder &out, const TShapeBox &b)
{
    out.AddArm(QRect(QPoint(b.x0, b.y0), QPoint(b.x0 + b.w2 - 1, b.y1)), true);
    out.AddArm(QRect(QPoint(b.x0 + b.w2, b.y0 + b.h4), QPoint(b.x1, b.y1 - b.h4)), false);
}

} // namespace morlith::shapes
