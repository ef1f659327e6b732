// SPDX-License-Identifier: MIT
#pragma once
// The application's icon, drawn from its SVG at every size a desktop asks for, so it stays sharp
// at any screen scale (AppIconSvg.cpp). Windows builds have no SVG renderer and carry the same
// renderings as PNG files made at build time (AppIconPng.cpp).

#include <QIcon>
#include <QImage>

namespace morlith {

// Sizes, in pixels, of the icon's square renderings (the hicolor sizes).
inline constexpr int kAppIconSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};

// The icon at `size` x `size` pixels on a transparent ground; null if the SVG cannot be read.
QImage RenderAppIcon(int size);

// The icon with a rendering at each of kAppIconSizes.
QIcon AppIcon();

} // namespace morlith
