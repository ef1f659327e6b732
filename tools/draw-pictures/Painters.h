// SPDX-License-Identifier: MIT
#pragma once
// The drawings of the forms' pictures, each on a white or light-green ground.

#include <QImage>

namespace morlith::pictures {

// A microcontroller: a dark body with pins on its four sides (Loading page, controller row).
QImage PaintChip(int size);
// Two meshing gears (Loading page, application row).
QImage PaintGears(int size);
// A sheet with a folded corner and rows of ones and zeros (Loading page, data row).
QImage PaintDataFile(int size);
// A nine-pin serial connector with its cable (Options page).
QImage PaintSerialPlug(int size);
// A dark-green arrow on a light-green square, pointing left or right (title bar).
QImage PaintArrow(int size, bool pointsLeft);

} // namespace morlith::pictures
