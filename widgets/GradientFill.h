// SPDX-License-Identifier: MIT
#pragma once
// The 26 two-colour gradient patterns of TjvShape.

#include "ShapeTypes.h"

#include <QColor>
#include <QRect>

class QPainter;

namespace morlith {

// a x b / c rounded to the nearest integer, halves away from zero; 0 when c is 0.
int MulDiv(int a, int b, int c);

// The colour of step `step` of `steps` from `start` to `end`, per channel
// start + MulDiv(step, end - start, steps).
QColor GradientStepColor(const QColor &start, const QColor &end, int step, int steps);

// Paints `direction` over `area` (the painter's clip is kept and narrowed to the area), from
// `brushColor` to `gradientColor`, or the reverse for jgdDown, jgdRight, jgdRectOut and
// jgdCircOut. An out-of-range direction paints nothing.
void PaintGradient(QPainter &painter, const QRect &area, TjvFillDirection direction,
                   const QColor &brushColor, const QColor &gradientColor);

} // namespace morlith
