// SPDX-License-Identifier: MIT
#include "AppIcon.h"

#include <iterator>

namespace morlith {
namespace {

// A rendering compiled in at one of kAppIconSizes, or null.
QImage Rendering(int size)
{
    return QImage(QStringLiteral(":/icons/morlith-%1.png").arg(size));
}

} // namespace

// Built without an SVG renderer: the icon's renderings are PNG files made at build time, one per
// kAppIconSizes entry; other sizes are scaled down from the largest.
QImage RenderAppIcon(int size)
{
    if (size <= 0)
        return QImage();
    const QImage exact = Rendering(size);
    if (!exact.isNull())
        return exact.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const QImage largest = Rendering(kAppIconSizes[std::size(kAppIconSizes) - 1]);
    if (largest.isNull())
        return QImage();
    return largest.scaled(size, size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
        .convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

} // namespace morlith
