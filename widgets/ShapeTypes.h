// SPDX-License-Identifier: MIT
#pragma once
// The shapes and gradient patterns of TjvShape, with their names.

#include <cstdint>

namespace morlith {

// The 81 shapes that TjvShape paints.
enum class TjvShapeType : uint8_t {
    jstRectangle, jstSquare, jstRoundRect, jstRoundSquare, jstEllipse, jstCircle,
    jstValve, jstValveUp, jstHouse,
    jstTriangleRight, jstTriangleUp, jstTriangleLeft, jstTriangleDown,
    jstArrowRight, jstArrowUp, jstArrowLeft, jstArrowDown,
    jstDiamond, jstOctagon, jstHexagon, jstHexagonFlat,
    jstUBarUp, jstUBarLeft, jstUBarDown, jstUBarRight,
    jstChairLeft, jstChairRight,
    jstBowlLeft, jstBowlRight, jstBowlDown, jstBowlUp,
    jstIBar, jstHBar, jst4Point, jstWaggle,
    jstCloudLeft, jstCloudRight, jstDoubleOval, jstDoubleOvalV,
    jstTorus, jstFrame, jstFrameNarrow,
    jstLBarUpLeft, jstLBarUpRight, jstLBarLeft, jstLBarRight,
    jst2HoleHoriz, jst2HoleVert,
    jstCubeUpRight, jstCubeUpLeft, jstCubeDownRight, jstCubeDownLeft, jstCubeHalf,
    jstRoofRight, jstRoofLeft, jstRoofFront, jstRoofBack,
    jstPyramid, jstMoret, jstZ, jstN, jstMatta,
    jstPistacheTop, jstPistacheBottom, jstPistacheLeft, jstPistacheRight,
    jst1Hole, jst1HoleBig, jstflower,
    jstSectorTopLeft, jstSectorTopRight, jstSectorBottomLeft, jstSectorBottomRight,
    jstPipeNodeTopLeft, jstPipeNodeTopRight, jstPipeNodeBottomLeft, jstPipeNodeBottomRight,
    jstTPipeVT, jstTPipeVR, jstTPipeVB, jstTPipeVL,
};

// Number of shapes; ordinals at or above it are out of range and paint nothing.
constexpr int kShapeTypeCount = 81;

// The 26 gradient patterns.
enum class TjvFillDirection : uint8_t {
    jgdUp, jgdDown, jgdLeft, jgdRight, jgdRectOut, jgdRectIn, jgdHorizCenter, jgdVertCenter,
    jgdCircOut, jgdCircIn, jgdNWSE, jgdNESW, jgdSENW, jgdSWNE,
    jgdUright, jgdULeft, jgdUUp, jgdUDown, jgdRCMix, jgdRCModulo, jgdQuatro, jgdDuo,
    jgdLNE, jgdLNW, jgdUpDown, jgdLeftRight,
};

// Number of gradient patterns; ordinals at or above it paint no gradient.
constexpr int kFillDirectionCount = 26;

// The identifier of a shape ("jstCircle"), or "?" out of range.
const char *ShapeTypeName(TjvShapeType type);
// The identifier of a gradient pattern ("jgdUp"), or "?" out of range.
const char *FillDirectionName(TjvFillDirection direction);

} // namespace morlith
