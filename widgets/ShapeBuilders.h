// SPDX-License-Identifier: MIT
#pragma once
// The routines that build each shape family; BuildShapeOutline picks one per shape type.

#include "ShapeGeometry.h"

namespace morlith::shapes {

// Builds one shape family in its unmirrored orientation.
using TShapeBuild = void (*)(TOutlineBuilder &out, const TShapeBox &b);

// Polygon shapes (ShapePolygons.cpp); the comment names the orientation built.
void Valve(TOutlineBuilder &out, const TShapeBox &b);          // bow tie, tips left and right
void ValveUp(TOutlineBuilder &out, const TShapeBox &b);        // bow tie, tips top and bottom
void House(TOutlineBuilder &out, const TShapeBox &b);
void TriangleRight(TOutlineBuilder &out, const TShapeBox &b);
void TriangleUp(TOutlineBuilder &out, const TShapeBox &b);
void ArrowRight(TOutlineBuilder &out, const TShapeBox &b);
void ArrowUp(TOutlineBuilder &out, const TShapeBox &b);
void Diamond(TOutlineBuilder &out, const TShapeBox &b);
void Octagon(TOutlineBuilder &out, const TShapeBox &b);
void Hexagon(TOutlineBuilder &out, const TShapeBox &b);
void HexagonFlat(TOutlineBuilder &out, const TShapeBox &b);
void UBarUp(TOutlineBuilder &out, const TShapeBox &b);         // notch open at the top
void UBarLeft(TOutlineBuilder &out, const TShapeBox &b);       // notch open at the left
void ChairLeft(TOutlineBuilder &out, const TShapeBox &b);      // seat facing left
void IBar(TOutlineBuilder &out, const TShapeBox &b);
void HBar(TOutlineBuilder &out, const TShapeBox &b);
void FourPoint(TOutlineBuilder &out, const TShapeBox &b);
void Waggle(TOutlineBuilder &out, const TShapeBox &b);
void LBarUpLeft(TOutlineBuilder &out, const TShapeBox &b);     // corner at the top left
void CubeUpRight(TOutlineBuilder &out, const TShapeBox &b);    // front, top and right faces seen
void CubeHalf(TOutlineBuilder &out, const TShapeBox &b);
void RoofRight(TOutlineBuilder &out, const TShapeBox &b);      // gable left, ridge running right
void RoofFront(TOutlineBuilder &out, const TShapeBox &b);      // gable facing the viewer
void RoofBack(TOutlineBuilder &out, const TShapeBox &b);       // gable at the far end
void Pyramid(TOutlineBuilder &out, const TShapeBox &b);
void Moret(TOutlineBuilder &out, const TShapeBox &b);
void LetterZ(TOutlineBuilder &out, const TShapeBox &b);
void LetterN(TOutlineBuilder &out, const TShapeBox &b);
void Matta(TOutlineBuilder &out, const TShapeBox &b);

// Shapes of rectangles, ellipses and pies (ShapeCurves.cpp).
void Rectangle(TOutlineBuilder &out, const TShapeBox &b);
void RoundRect(TOutlineBuilder &out, const TShapeBox &b);
void Ellipse(TOutlineBuilder &out, const TShapeBox &b);
void BowlUp(TOutlineBuilder &out, const TShapeBox &b);         // open at the top
void BowlLeft(TOutlineBuilder &out, const TShapeBox &b);       // open at the left
void CloudLeft(TOutlineBuilder &out, const TShapeBox &b);      // big puff on the left
void DoubleOval(TOutlineBuilder &out, const TShapeBox &b);
void DoubleOvalV(TOutlineBuilder &out, const TShapeBox &b);
void Torus(TOutlineBuilder &out, const TShapeBox &b);
void Frame(TOutlineBuilder &out, const TShapeBox &b);
void FrameNarrow(TOutlineBuilder &out, const TShapeBox &b);
void TwoHoleHoriz(TOutlineBuilder &out, const TShapeBox &b);
void TwoHoleVert(TOutlineBuilder &out, const TShapeBox &b);
void PistacheTop(TOutlineBuilder &out, const TShapeBox &b);    // rounded end at the top
void PistacheLeft(TOutlineBuilder &out, const TShapeBox &b);   // rounded end at the left
void OneHole(TOutlineBuilder &out, const TShapeBox &b);
void OneHoleBig(TOutlineBuilder &out, const TShapeBox &b);
void Flower(TOutlineBuilder &out, const TShapeBox &b);
void SectorTopLeft(TOutlineBuilder &out, const TShapeBox &b);  // arc toward the top left

// Pipe shapes (ShapeCurves.cpp): arms only.
void PipeNodeTopLeft(TOutlineBuilder &out, const TShapeBox &b); // elbow in the top-left corner
void TPipeVT(TOutlineBuilder &out, const TShapeBox &b);         // bar along the top, stem down
void TPipeVL(TOutlineBuilder &out, const TShapeBox &b);         // bar along the left, stem right

} // namespace morlith::shapes
