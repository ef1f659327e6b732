// SPDX-License-Identifier: MIT
#include "ShapeTypes.h"

namespace morlith {

namespace {

const char *const kShapeTypeNames[kShapeTypeCount] = {
    "jstRectangle", "jstSquare", "jstRoundRect", "jstRoundSquare", "jstEllipse", "jstCircle",
    "jstValve", "jstValveUp", "jstHouse",
    "jstTriangleRight", "jstTriangleUp", "jstTriangleLeft", "jstTriangleDown",
    "jstArrowRight", "jstArrowUp", "jstArrowLeft", "jstArrowDown",
    "jstDiamond", "jstOctagon", "jstHexagon", "jstHexagonFlat",
    "jstUBarUp", "jstUBarLeft", "jstUBarDown", "jstUBarRight",
    "jstChairLeft", "jstChairRight",
    "jstBowlLeft", "jstBowlRight", "jstBowlDown", "jstBowlUp",
    "jstIBar", "jstHBar", "jst4Point", "jstWaggle",
    "jstCloudLeft", "jstCloudRight", "jstDoubleOval", "jstDoubleOvalV",
    "jstTorus", "jstFrame", "jstFrameNarrow",
    "jstLBarUpLeft", "jstLBarUpRight", "jstLBarLeft", "jstLBarRight",
    "jst2HoleHoriz", "jst2HoleVert",
    "jstCubeUpRight", "jstCubeUpLeft", "jstCubeDownRight", "jstCubeDownLeft", "jstCubeHalf",
    "jstRoofRight", "jstRoofLeft", "jstRoofFront", "jstRoofBack",
    "jstPyramid", "jstMoret", "jstZ", "jstN", "jstMatta",
    "jstPistacheTop", "jstPistacheBottom", "jstPistacheLeft", "jstPistacheRight",
    "jst1Hole", "jst1HoleBig", "jstflower",
    "jstSectorTopLeft", "jstSectorTopRight", "jstSectorBottomLeft", "jstSectorBottomRight",
    "jstPipeNodeTopLeft", "jstPipeNodeTopRight", "jstPipeNodeBottomLeft", "jstPipeNodeBottomRight",
    "jstTPipeVT", "jstTPipeVR", "jstTPipeVB", "jstTPipeVL",
};

const char *const kFillDirectionNames[kFillDirectionCount] = {
    "jgdUp", "jgdDown", "jgdLeft", "jgdRight", "jgdRectOut", "jgdRectIn", "jgdHorizCenter",
    "jgdVertCenter", "jgdCircOut", "jgdCircIn", "jgdNWSE", "jgdNESW", "jgdSENW", "jgdSWNE",
    "jgdUright", "jgdULeft", "jgdUUp", "jgdUDown", "jgdRCMix", "jgdRCModulo", "jgdQuatro",
    "jgdDuo", "jgdLNE", "jgdLNW", "jgdUpDown", "jgdLeftRight",
};

} // namespace

const char *ShapeTypeName(TjvShapeType type)
{
    const int ordinal = static_cast<int>(type);
    return ordinal < kShapeTypeCount ? kShapeTypeNames[ordinal] : "?";
}

const char *FillDirectionName(TjvFillDirection direction)
{
    const int ordinal = static_cast<int>(direction);
    return ordinal < kFillDirectionCount ? kFillDirectionNames[ordinal] : "?";
}

} // namespace morlith
