// SPDX-License-Identifier: MIT
#pragma once
// A Windows icon file (.ico) made of PNG renderings, the form Windows has read since Vista: an
// icon directory, then each rendering as a whole PNG file.

#include <QByteArray>
#include <QImage>
#include <QList>

namespace morlith {

// The sizes, in pixels, the icon of a Windows executable carries.
inline constexpr int kWindowsIconSizes[] = {16, 24, 32, 48, 64, 128, 256};

// The .ico file holding `renderings` in their order; empty if one is null, not square, or larger
// than 256 pixels.
QByteArray IcoFile(const QList<QImage> &renderings);

} // namespace morlith
