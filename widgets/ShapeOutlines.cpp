// SPDX-License-Identifier: MIT
// Which routine and which mirror image builds each shape type.

#include "ShapeBuilders.h"

#include <iterator>

namespace morlith {

namespace {

using namespace shapes;

struct TShapeRecipe {
    TShapeBuild build;
    TMirror mirror;
};

// Indexed by the ordinal of TjvShapeType.
const TShapeRecipe kRecipes[] = {
    {Rectangle, mirNone},       {Rectangle, mirNone},    // jstRectangle, jstSquare
    {RoundRect, mirNone},       {RoundRect, mirNone},    // jstRoundRect, jstRoundSquare
    {Ellipse, mirNone},         {Ellipse, mirNone},      // jstEllipse, jstCircle
    {Valve, mirNone},           {ValveUp, mirNone},      // jstValve, jstValveUp
    {House, mirNone},                                    // jstHouse
    {TriangleRight, mirNone},   {TriangleUp, mirNone},   // jstTriangleRight, jstTriangleUp
    {TriangleRight, mirX},      {TriangleUp, mirY},      // jstTriangleLeft, jstTriangleDown
    {ArrowRight, mirNone},      {ArrowUp, mirNone},      // jstArrowRight, jstArrowUp
    {ArrowRight, mirX},         {ArrowUp, mirY},         // jstArrowLeft, jstArrowDown
    {Diamond, mirNone},         {Octagon, mirNone},      // jstDiamond, jstOctagon
    {Hexagon, mirNone},         {HexagonFlat, mirNone},  // jstHexagon, jstHexagonFlat
    {UBarUp, mirNone},          {UBarLeft, mirNone},     // jstUBarUp, jstUBarLeft
    {UBarUp, mirY},             {UBarLeft, mirX},        // jstUBarDown, jstUBarRight
    {ChairLeft, mirNone},       {ChairLeft, mirX},       // jstChairLeft, jstChairRight
    {BowlLeft, mirNone},        {BowlLeft, mirX},        // jstBowlLeft, jstBowlRight
    {BowlUp, mirY},             {BowlUp, mirNone},       // jstBowlDown, jstBowlUp
    {IBar, mirNone},            {HBar, mirNone},         // jstIBar, jstHBar
    {FourPoint, mirNone},       {Waggle, mirNone},       // jst4Point, jstWaggle
    {CloudLeft, mirNone},       {CloudLeft, mirX},       // jstCloudLeft, jstCloudRight
    {DoubleOval, mirNone},      {DoubleOvalV, mirNone},  // jstDoubleOval, jstDoubleOvalV
    {Torus, mirNone},                                    // jstTorus
    {Frame, mirNone},           {FrameNarrow, mirNone},  // jstFrame, jstFrameNarrow
    {LBarUpLeft, mirNone},      {LBarUpLeft, mirX},      // jstLBarUpLeft, jstLBarUpRight
    {LBarUpLeft, mirY},         {LBarUpLeft, mirXY},     // jstLBarLeft, jstLBarRight
    {TwoHoleHoriz, mirNone},    {TwoHoleVert, mirNone},  // jst2HoleHoriz, jst2HoleVert
    {CubeUpRight, mirNone},     {CubeUpRight, mirX},     // jstCubeUpRight, jstCubeUpLeft
    {CubeUpRight, mirY},        {CubeUpRight, mirXY},    // jstCubeDownRight, jstCubeDownLeft
    {CubeHalf, mirNone},                                 // jstCubeHalf
    {RoofRight, mirNone},       {RoofRight, mirX},       // jstRoofRight, jstRoofLeft
    {RoofFront, mirNone},       {RoofBack, mirNone},     // jstRoofFront, jstRoofBack
    {Pyramid, mirNone},         {Moret, mirNone},        // jstPyramid, jstMoret
    {LetterZ, mirNone},         {LetterN, mirNone},      // jstZ, jstN
    {Matta, mirNone},                                    // jstMatta
    {PistacheTop, mirNone},     {PistacheTop, mirY},     // jstPistacheTop, jstPistacheBottom
    {PistacheLeft, mirNone},    {PistacheLeft, mirX},    // jstPistacheLeft, jstPistacheRight
    {OneHole, mirNone},         {OneHoleBig, mirNone},   // jst1Hole, jst1HoleBig
    {Flower, mirNone},                                   // jstflower
    {SectorTopLeft, mirNone},   {SectorTopLeft, mirX},   // jstSectorTopLeft, jstSectorTopRight
    {SectorTopLeft, mirY},      {SectorTopLeft, mirXY},  // jstSectorBottomLeft, ...BottomRight
    {PipeNodeTopLeft, mirNone}, {PipeNodeTopLeft, mirX}, // jstPipeNodeTopLeft, ...TopRight
    {PipeNodeTopLeft, mirY},    {PipeNodeTopLeft, mirXY}, // ...BottomLeft, ...BottomRight
    {TPipeVT, mirNone},         {TPipeVL, mirX},         // jstTPipeVT, jstTPipeVR
    {TPipeVT, mirY},            {TPipeVL, mirNone},      // jstTPipeVB, jstTPipeVL
};
static_assert(std::size(kRecipes) == kShapeTypeCount, "one recipe per shape type");

} // namespace

TShapeOutline BuildShapeOutline(TjvShapeType type, const TShapeBox &box)
{
    const int ordinal = static_cast<int>(type);
    if (box.IsEmpty() || ordinal >= kShapeTypeCount)
        return {};
    const TShapeRecipe &recipe = kRecipes[ordinal];
    TOutlineBuilder builder(box, recipe.mirror);
    recipe.build(builder, box);
    return builder.Take();
}

} // namespace morlith
