// SPDX-License-Identifier: MIT
#include "ShapeGeometry.h"

#include <algorithm>

namespace morlith {

TShapeBox ComputeShapeBox(TjvShapeType type, int width, int height, int penWidth)
{
    TShapeBox b;
    const int pw = std::max(penWidth, 0);
    b.x0 = b.y0 = pw / 2;
    b.w = width - pw + 1;
    b.h = height - pw + 1;
    if (pw == 0) {
        --b.w;
        --b.h;
    }
    b.s = std::min(b.w, b.h);
    if (type == TjvShapeType::jstSquare || type == TjvShapeType::jstRoundSquare ||
        type == TjvShapeType::jstCircle) {
        b.x0 += (b.w - b.s) / 2;
        b.y0 += (b.h - b.s) / 2;
        b.w = b.h = b.s;
    }
    b.w2 = b.w / 2, b.w3 = b.w / 3, b.w4 = b.w / 4, b.w8 = b.w / 8, b.w16 = b.w / 16;
    b.h2 = b.h / 2, b.h3 = b.h / 3, b.h4 = b.h / 4, b.h8 = b.h / 8, b.h16 = b.h / 16;
    b.x1 = b.x0 + b.w - 1;
    b.y1 = b.y0 + b.h - 1;
    return b;
}

namespace {

TShapePrimitive BoxPrimitive(TShapePrimitive::TKind kind, int left, int top, int right, int bottom)
{
    TShapePrimitive p;
    p.kind = kind;
    p.box = QRect(QPoint(left, top), QPoint(right, bottom));
    return p;
}

// The box's pixels as an area (one pixel more to the right and bottom than its positions).
QRectF AreaOf(const QRect &box)
{
    return QRectF(box.left(), box.top(), box.width(), box.height());
}

// The box through its pixel positions, as the pen runs.
QRectF PositionsOf(const QRect &box)
{
    return QRectF(box.left(), box.top(), box.width() - 1, box.height() - 1);
}

QPainterPath PathOf(const TShapePrimitive &p, const QRectF &box)
{
    QPainterPath path;
    switch (p.kind) {
    case TShapePrimitive::TKind::Rect:
        path.addRect(box);
        break;
    case TShapePrimitive::TKind::RoundRect:
        path.addRoundedRect(box, p.corner / 2.0, p.corner / 2.0);
        break;
    case TShapePrimitive::TKind::Ellipse:
        path.addEllipse(box);
        break;
    case TShapePrimitive::TKind::Pie:
        path.moveTo(box.center());
        path.arcTo(box, p.startDegrees, p.spanDegrees);
        path.closeSubpath();
        break;
    case TShapePrimitive::TKind::Polygon:
        path.addPolygon(QPolygonF(p.points));
        path.closeSubpath();
        break;
    }
    path.setFillRule(Qt::WindingFill);
    return path;
}

} // namespace

QPainterPath TShapePrimitive::RegionPath() const
{
    if (kind != TKind::Polygon)
        return PathOf(*this, AreaOf(box));
    // Through the vertex pixels' centres, where a 1-pixel outline runs.
    return PathOf(*this, QRectF()).translated(0.5, 0.5);
}

QPainterPath TShapePrimitive::StrokePath() const
{
    return PathOf(*this, kind == TKind::Polygon ? QRectF() : PositionsOf(box));
}

TShapePrimitive RectPrimitive(int left, int top, int right, int bottom)
{
    return BoxPrimitive(TShapePrimitive::TKind::Rect, left, top, right, bottom);
}

TShapePrimitive RoundRectPrimitive(int left, int top, int right, int bottom, int corner)
{
    TShapePrimitive p = BoxPrimitive(TShapePrimitive::TKind::RoundRect, left, top, right, bottom);
    p.corner = std::max(corner, 0);
    return p;
}

TShapePrimitive EllipsePrimitive(int left, int top, int right, int bottom)
{
    return BoxPrimitive(TShapePrimitive::TKind::Ellipse, left, top, right, bottom);
}

TShapePrimitive PiePrimitive(int left, int top, int right, int bottom, int start, int span)
{
    TShapePrimitive p = BoxPrimitive(TShapePrimitive::TKind::Pie, left, top, right, bottom);
    p.startDegrees = start;
    p.spanDegrees = span;
    return p;
}

TShapePrimitive PolygonPrimitive(const QPolygon &points)
{
    TShapePrimitive p;
    p.kind = TShapePrimitive::TKind::Polygon;
    p.points = points;
    return p;
}

QRect TOutlineBuilder::Mirrored(const QRect &rect) const
{
    QRect r = rect;
    if (FMirror & mirX)
        r = QRect(QPoint(FBox.x0 + FBox.x1 - rect.right(), r.top()),
                  QPoint(FBox.x0 + FBox.x1 - rect.left(), r.bottom()));
    if (FMirror & mirY)
        r = QRect(QPoint(r.left(), FBox.y0 + FBox.y1 - rect.bottom()),
                  QPoint(r.right(), FBox.y0 + FBox.y1 - rect.top()));
    return r;
}

TShapePrimitive TOutlineBuilder::Mirrored(TShapePrimitive p) const
{
    if (FMirror == mirNone)
        return p;
    p.box = Mirrored(p.box);
    for (QPoint &point : p.points) {
        if (FMirror & mirX)
            point.setX(FBox.x0 + FBox.x1 - point.x());
        if (FMirror & mirY)
            point.setY(FBox.y0 + FBox.y1 - point.y());
    }
    // A mirrored arc runs the other way round from the mirrored end.
    if (FMirror & mirX)
        p.startDegrees = 180 - p.startDegrees - p.spanDegrees;
    if (FMirror & mirY)
        p.startDegrees = -p.startDegrees - p.spanDegrees;
    return p;
}

void TOutlineBuilder::Add(const TShapePrimitive &primitive)
{
    const TShapePrimitive p = Mirrored(primitive);
    const QPainterPath line = p.StrokePath();
    if (FOutline.strokes.empty()) {
        FOutline.region = p.RegionPath();
        FOutline.lineRegion = line;
    } else {
        FOutline.region = FOutline.region.united(p.RegionPath());
        FOutline.lineRegion = FOutline.lineRegion.united(line);
    }
    FOutline.strokes.push_back({line, p.RegionPath()});
}

void TOutlineBuilder::AddHole(const TShapePrimitive &primitive)
{
    if (FOutline.strokes.empty())
        return;
    const TShapePrimitive p = Mirrored(primitive);
    FOutline.region = FOutline.region.subtracted(p.RegionPath());
    FOutline.lineRegion = FOutline.lineRegion.subtracted(p.StrokePath());
    TShapeStroke &last = FOutline.strokes.back();
    last.line.addPath(p.StrokePath());
    last.line.setFillRule(Qt::OddEvenFill);
    last.area.addPath(p.RegionPath());
    last.area.setFillRule(Qt::OddEvenFill);
}

void TOutlineBuilder::AddArm(const QRect &rect, bool vertical)
{
    FOutline.arms.push_back({Mirrored(rect), vertical});
}

} // namespace morlith
