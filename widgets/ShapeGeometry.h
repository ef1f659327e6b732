// SPDX-License-Identifier: MIT
#pragma once
// Geometry of TjvShape: the box a shape is built in, its primitives and its outline.
//
// Coordinates are pixel positions: a box spans the pixels x0..x1 and y0..y1 inclusive.
// Primitives are drawn through those positions (a 1-pixel pen covers x0 and x1), while the
// clip region of a rectangle, rounded rectangle, ellipse or pie covers the whole w x h box.

#include "ShapeTypes.h"

#include <QPainterPath>
#include <QPolygon>
#include <QRect>

#include <vector>

namespace morlith {

// The box of one paint: origin, size and the fractions every shape is built from.
struct TShapeBox {
    int x0 = 0, y0 = 0; // top-left pixel
    int w = 0, h = 0;   // width and height in pixels
    int s = 0;          // the smaller of w and h
    int x1 = 0, y1 = 0; // bottom-right pixel: x0 + w - 1, y0 + h - 1
    int w2 = 0, w3 = 0, w4 = 0, w8 = 0, w16 = 0; // w div 2, 3, 4, 8, 16
    int h2 = 0, h3 = 0, h4 = 0, h8 = 0, h16 = 0; // the same of h
    // Whether nothing can be drawn in the box (a pen as wide as the control, a zero size).
    bool IsEmpty() const { return w <= 0 || h <= 0; }
};

// The box of `type` in a control of `width` x `height` with a pen `penWidth` wide: inset by half
// the pen, and for squares and circles the centred square of the smaller side.
TShapeBox ComputeShapeBox(TjvShapeType type, int width, int height, int penWidth);

// One drawing primitive of a shape, in pixel positions.
struct TShapePrimitive {
    // What the primitive draws.
    enum class TKind { Rect, RoundRect, Ellipse, Pie, Polygon };
    TKind kind = TKind::Rect;
    QRect box;            // pixels covered by Rect, RoundRect, Ellipse and the pie's ellipse
    int corner = 0;       // width and height of the rounded corner's ellipse
    int startDegrees = 0; // pie: start angle, counter-clockwise from 3 o'clock
    int spanDegrees = 0;  // pie: span, counter-clockwise
    QPolygon points;      // polygon vertices

    // The filled area, for clip regions.
    QPainterPath RegionPath() const;
    // The path drawn with the pen and brush.
    QPainterPath StrokePath() const;
};

// A rectangle from pixel (left, top) to pixel (right, bottom).
TShapePrimitive RectPrimitive(int left, int top, int right, int bottom);
// A rounded rectangle whose corner ellipse is `corner` pixels wide and high.
TShapePrimitive RoundRectPrimitive(int left, int top, int right, int bottom, int corner);
// An ellipse in the box from pixel (left, top) to pixel (right, bottom).
TShapePrimitive EllipsePrimitive(int left, int top, int right, int bottom);
// A pie of the ellipse in the given box, from `start` over `span` degrees counter-clockwise.
TShapePrimitive PiePrimitive(int left, int top, int right, int bottom, int start, int span);
// A polygon through the given pixels.
TShapePrimitive PolygonPrimitive(const QPolygon &points);

// An arm of a pipe shape: a rectangle filled with a gradient across it, never outlined.
struct TPipeArm {
    QRect rect;    // the arm's pixels
    bool vertical; // true: the gradient runs across the width
};

// One primitive as drawn: the path the pen follows, and the area it fills without a pen.
struct TShapeStroke {
    QPainterPath line;
    QPainterPath area;
};

// What a shape paints: the clip region of its gradient, the primitives drawn over it, or (pipe
// shapes) the arms that carry their own gradients.
struct TShapeOutline {
    // The pixels the shape covers, for a gradient without an outline.
    QPainterPath region;
    // The area enclosed by the lines the pen follows, for a gradient under an outline: its edge
    // runs along the middle of the outline, so the two overlap and leave no pixel between them.
    QPainterPath lineRegion;
    std::vector<TShapeStroke> strokes;
    std::vector<TPipeArm> arms;
};

// Mirror images of a shape within its box.
enum TMirror : unsigned { mirNone = 0, mirX = 1, mirY = 2, mirXY = 3 };

// Collects the primitives of one shape, mirrored within the box as asked.
class TOutlineBuilder {
public:
    // A builder for a shape in `box`, mirrored by `mirror`.
    TOutlineBuilder(const TShapeBox &box, TMirror mirror) : FBox(box), FMirror(mirror) {}
    // Adds a primitive, drawn after the earlier ones; its area joins the region.
    void Add(const TShapePrimitive &primitive);
    // Cuts a hole in the last primitive added: its area leaves the region and the fill.
    void AddHole(const TShapePrimitive &primitive);
    // Adds a pipe arm.
    void AddArm(const QRect &rect, bool vertical);
    // The outline collected so far.
    TShapeOutline Take() { return std::move(FOutline); }

private:
    TShapePrimitive Mirrored(TShapePrimitive primitive) const;
    QRect Mirrored(const QRect &rect) const;

    TShapeBox FBox;
    TMirror FMirror;
    TShapeOutline FOutline;
};

// The outline of `type` in `box`; empty for an empty box or an out-of-range type.
TShapeOutline BuildShapeOutline(TjvShapeType type, const TShapeBox &box);

} // namespace morlith
