// SPDX-License-Identifier: MIT
// The polygon shapes, each built in one orientation; mirrors give the others.

#include "ShapeBuilders.h"

#include <cmath>
#include <initializer_list>

namespace morlith::shapes {

namespace {

// The C library's M_PI is not standard C++ (MinGW leaves it out).
constexpr double kPi = 3.14159265358979323846;

void AddPolygon(TOutlineBuilder &out, std::initializer_list<QPoint> points)
{
    out.Add(PolygonPrimitive(QPolygon(QList<QPoint>(points))));
}

// The middle of the box.
int Cx(const TShapeBox &b) { return b.x0 + b.w2; }
int Cy(const TShapeBox &b) { return b.y0 + b.h2; }

} // namespace

void Valve(TOutlineBuilder &out, const TShapeBox &b)
{
    AddPolygon(out, {{b.x0, b.y0}, {b.x1, b.y1}, {b.x1, b.y0}, {b.x0, b.y1}});
}

void ValveUp(TOutlineBuilder &out, const TShapeBox &b)
{
    AddPolygon(out, {{b.x0, b.y0}, {b.x1, b.y0}, {b.x0, b.y1}, {b.x1, b.y1}});
}

void House(TOutlineBuilder &out, const TShapeBox &b)
{
    AddPolygon(out, {{Cx(b), b.y0}, {b.x1, Cy(b)}, {b.x1, b.y1}, {b.x0, b.y1}, {b.x0, Cy(b)}});
}

void TriangleRight(TOutlineBuilder &out, const TShapeBox &b)
{
    AddPolygon(out, {{b.x0, b.y0}, {b.x1, Cy(b)}, {b.x0, b.y1}});
}

void TriangleUp(TOutlineBuilder &out, const TShapeBox &b)
{
    AddPolygon(out, {{Cx(b), b.y0}, {b.x1, b.y1}, {b.x0, b.y1}});
}

void ArrowRight(TOutlineBuilder &out, const TShapeBox &b)
{
    const int top = Cy(b) - b.h16, bottom = Cy(b) + b.h16, head = b.x1 - b.w4;
    AddPolygon(out, {{b.x0, top}, {head, top}, {head, b.y0}, {b.x1, Cy(b)}, {head, b.y1},
                     {head, bottom}, {b.x0, bottom}});
}

void ArrowUp(TOutlineBuilder &out, const TShapeBox &b)
{
    const int left = Cx(b) - b.w16, right = Cx(b) + b.w16, head = b.y0 + b.h4;
    AddPolygon(out, {{left, b.y1}, {left, head}, {b.x0, head}, {Cx(b), b.y0}, {b.x1, head},
                     {right, head}, {right, b.y1}});
}

void Diamond(TOutlineBuilder &out, const TShapeBox &b)
{
    AddPolygon(out, {{Cx(b), b.y0}, {b.x1, Cy(b)}, {Cx(b), b.y1}, {b.x0, Cy(b)}});
}

void Octagon(TOutlineBuilder &out, const TShapeBox &b)
{
    const int right = b.x0 + b.w - b.w3 - 1, bottom = b.y0 + b.h - b.h3 - 1;
    AddPolygon(out, {{b.x0 + b.w3, b.y0}, {right, b.y0}, {b.x1, b.y0 + b.h3}, {b.x1, bottom},
                     {right, b.y1}, {b.x0 + b.w3, b.y1}, {b.x0, bottom}, {b.x0, b.y0 + b.h3}});
}

void Hexagon(TOutlineBuilder &out, const TShapeBox &b)
{
    AddPolygon(out, {{Cx(b), b.y0}, {b.x1, b.y0 + b.h4}, {b.x1, b.y1 - b.h4}, {Cx(b), b.y1},
                     {b.x0, b.y1 - b.h4}, {b.x0, b.y0 + b.h4}});
}

void HexagonFlat(TOutlineBuilder &out, const TShapeBox &b)
{
    AddPolygon(out, {{b.x0 + b.w4, b.y0}, {b.x1 - b.w4, b.y0}, {b.x1, Cy(b)},
                     {b.x1 - b.w4, b.y1}, {b.x0 + b.w4, b.y1}, {b.x0, Cy(b)}});
}

void UBarUp(TOutlineBuilder &out, const TShapeBox &b)
{
    AddPolygon(out, {{b.x0, b.y0}, {b.x0 + b.w4, b.y0}, {b.x0 + b.w4, b.y1 - b.h4},
                     {b.x1 - b.w4, b.y1 - b.h4}, {b.x1 - b.w4, b.y0}, {b.x1, b.y0},
                     {b.x1, b.y1}, {b.x0, b.y1}});
}

void UBarLeft(TOutlineBuilder &out, const TShapeBox &b)
{
    AddPolygon(out, {{b.x0, b.y0}, {b.x1, b.y0}, {b.x1, b.y1}, {b.x0, b.y1},
                     {b.x0, b.y1 - b.h4}, {b.x1 - b.w4, b.y1 - b.h4},
                     {b.x1 - b.w4, b.y0 + b.h4}, {b.x0, b.y0 + b.h4}});
}

void ChairLeft(TOutlineBuilder &out, const TShapeBox &b)
{
    const int back = b.x1 - b.w4, seat = Cy(b), underSeat = Cy(b) + b.h8;
    AddPolygon(out, {{back, b.y0}, {b.x1, b.y0}, {b.x1, b.y1}, {back, b.y1}, {back, underSeat},
                     {b.x0 + b.w4, underSeat}, {b.x0 + b.w4, b.y1}, {b.x0, b.y1},
                     {b.x0, seat}, {back, seat}});
}

void IBar(TOutlineBuilder &out, const TShapeBox &b)
{
    const int left = b.x0 + b.w4, right = b.x1 - b.w4, top = b.y0 + b.h4, bottom = b.y1 - b.h4;
    AddPolygon(out, {{b.x0, b.y0}, {b.x1, b.y0}, {b.x1, top}, {right, top}, {right, bottom},
                     {b.x1, bottom}, {b.x1, b.y1}, {b.x0, b.y1}, {b.x0, bottom}, {left, bottom},
                     {left, top}, {b.x0, top}});
}

void HBar(TOutlineBuilder &out, const TShapeBox &b)
{
    const int left = b.x0 + b.w4, right = b.x1 - b.w4, top = Cy(b) - b.h8, bottom = Cy(b) + b.h8;
    AddPolygon(out, {{b.x0, b.y0}, {left, b.y0}, {left, top}, {right, top}, {right, b.y0},
                     {b.x1, b.y0}, {b.x1, b.y1}, {right, b.y1}, {right, bottom}, {left, bottom},
                     {left, b.y1}, {b.x0, b.y1}});
}

void FourPoint(TOutlineBuilder &out, const TShapeBox &b)
{
    AddPolygon(out, {{b.x0, b.y0}, {Cx(b), b.y0 + b.h4}, {b.x1, b.y0}, {b.x1 - b.w4, Cy(b)},
                     {b.x1, b.y1}, {Cx(b), b.y1 - b.h4}, {b.x0, b.y1}, {b.x0 + b.w4, Cy(b)}});
}

void Waggle(TOutlineBuilder &out, const TShapeBox &b)
{
    // A zigzag band: eight points along the top, the same eight shifted down along the bottom.
    constexpr int kPointsPerEdge = 8;
    QPolygon points;
    for (int k = 0; k < kPointsPerEdge; ++k) {
        const int x = b.x0 + k * (b.w - 1) / (kPointsPerEdge - 1);
        points << QPoint(x, k % 2 == 0 ? b.y0 + b.h4 : b.y0);
    }
    for (int k = kPointsPerEdge - 1; k >= 0; --k) {
        const int x = b.x0 + k * (b.w - 1) / (kPointsPerEdge - 1);
        points << QPoint(x, k % 2 == 0 ? b.y1 : b.y1 - b.h4);
    }
    out.Add(PolygonPrimitive(points));
}

void LBarUpLeft(TOutlineBuilder &out, const TShapeBox &b)
{
    AddPolygon(out, {{b.x0, b.y0}, {b.x1, b.y0}, {b.x1, b.y0 + b.h4},
                     {b.x0 + b.w4, b.y0 + b.h4}, {b.x0 + b.w4, b.y1}, {b.x0, b.y1}});
}

void CubeUpRight(TOutlineBuilder &out, const TShapeBox &b)
{
    // The front face, then the top and right faces; they share the edge from the front face's
    // top-right corner to the back corner.
    const int frontRight = b.x1 - b.w4, frontTop = b.y0 + b.h4;
    AddPolygon(out, {{b.x0, frontTop}, {frontRight, frontTop}, {frontRight, b.y1}, {b.x0, b.y1}});
    AddPolygon(out, {{b.x0, frontTop}, {b.x0 + b.w4, b.y0}, {b.x1, b.y0}, {frontRight, frontTop}});
    AddPolygon(out, {{frontRight, frontTop}, {b.x1, b.y0}, {b.x1, b.y1 - b.h4}, {frontRight, b.y1}});
}

void CubeHalf(TOutlineBuilder &out, const TShapeBox &b)
{
    // A box seen from above and in front: the front face and the top face.
    const int frontTop = b.y0 + b.h4;
    AddPolygon(out, {{b.x0, frontTop}, {b.x1, frontTop}, {b.x1, b.y1}, {b.x0, b.y1}});
    AddPolygon(out, {{b.x0, frontTop}, {b.x0 + b.w4, b.y0}, {b.x1 - b.w4, b.y0}, {b.x1, frontTop}});
}

void RoofRight(TOutlineBuilder &out, const TShapeBox &b)
{
    // The gable end, then the roof plane running to the right.
    const int ridge = b.x0 + b.w4, eave = Cx(b);
    AddPolygon(out, {{b.x0, b.y1}, {ridge, b.y0}, {eave, b.y1}});
    AddPolygon(out, {{ridge, b.y0}, {b.x1 - b.w4, b.y0}, {b.x1, b.y1}, {eave, b.y1}});
}

void RoofFront(TOutlineBuilder &out, const TShapeBox &b)
{
    // The gable, then the fascia board below it.
    const int eave = b.y1 - b.h4;
    AddPolygon(out, {{b.x0, eave}, {Cx(b), b.y0}, {b.x1, eave}});
    AddPolygon(out, {{b.x0, eave}, {b.x1, eave}, {b.x1, b.y1}, {b.x0, b.y1}});
}

void RoofBack(TOutlineBuilder &out, const TShapeBox &b)
{
    // The gable at the far end, then the roof plane running from it toward the viewer, widening
    // to the eaves along the bottom.
    const int gableBase = Cy(b), gableLeft = b.x0 + b.w3, gableRight = b.x1 - b.w3;
    AddPolygon(out, {{gableLeft, gableBase}, {Cx(b), b.y0}, {gableRight, gableBase}});
    AddPolygon(out, {{gableLeft, gableBase}, {gableRight, gableBase}, {b.x1, b.y1}, {b.x0, b.y1}});
}

void Pyramid(TOutlineBuilder &out, const TShapeBox &b)
{
    // Seen from a corner: the left face and the right face.
    const int base = b.y1 - b.h4;
    AddPolygon(out, {{Cx(b), b.y0}, {Cx(b), b.y1}, {b.x0, base}});
    AddPolygon(out, {{Cx(b), b.y0}, {b.x1, base}, {Cx(b), b.y1}});
}

void Moret(TOutlineBuilder &out, const TShapeBox &b)
{
    // A ten-pointed star: outer points on the box's ellipse, inner ones at half its radii.
    constexpr int kVertices = 20;
    const double cx = b.x0 + (b.w - 1) / 2.0, cy = b.y0 + (b.h - 1) / 2.0;
    QPolygon points;
    for (int k = 0; k < kVertices; ++k) {
        const double angle = kPi / 2 - k * 2 * kPi / kVertices;
        const double rx = (k % 2 == 0 ? b.w2 : b.w4), ry = (k % 2 == 0 ? b.h2 : b.h4);
        points << QPoint(static_cast<int>(std::lround(cx + rx * std::cos(angle))),
                         static_cast<int>(std::lround(cy - ry * std::sin(angle))));
    }
    out.Add(PolygonPrimitive(points));
}

void LetterZ(TOutlineBuilder &out, const TShapeBox &b)
{
    const int top = b.y0 + b.h4, bottom = b.y1 - b.h4;
    AddPolygon(out, {{b.x0, b.y0}, {b.x1, b.y0}, {b.x1, top}, {b.x0 + b.w3, bottom},
                     {b.x1, bottom}, {b.x1, b.y1}, {b.x0, b.y1}, {b.x0, bottom},
                     {b.x1 - b.w3, top}, {b.x0, top}});
}

void LetterN(TOutlineBuilder &out, const TShapeBox &b)
{
    const int left = b.x0 + b.w4, right = b.x1 - b.w4;
    AddPolygon(out, {{b.x0, b.y1}, {b.x0, b.y0}, {left, b.y0}, {right, b.y1 - b.h3},
                     {right, b.y0}, {b.x1, b.y0}, {b.x1, b.y1}, {right, b.y1},
                     {left, b.y0 + b.h3}, {left, b.y1}});
}

void Matta(TOutlineBuilder &out, const TShapeBox &b)
{
    // A cross with flared, notched arms.
    const int cx = Cx(b), cy = Cy(b);
    AddPolygon(out, {{b.x0 + b.w4, b.y0}, {cx, b.y0 + b.h8}, {b.x1 - b.w4, b.y0},
                     {cx + b.w8, cy - b.h8},
                     {b.x1, b.y0 + b.h4}, {b.x1 - b.w8, cy}, {b.x1, b.y1 - b.h4},
                     {cx + b.w8, cy + b.h8},
                     {b.x1 - b.w4, b.y1}, {cx, b.y1 - b.h8}, {b.x0 + b.w4, b.y1},
                     {cx - b.w8, cy + b.h8},
                     {b.x0, b.y1 - b.h4}, {b.x0 + b.w8, cy}, {b.x0, b.y0 + b.h4},
                     {cx - b.w8, cy - b.h8}});
}

} // namespace morlith::shapes
