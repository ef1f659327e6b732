// SPDX-License-Identifier: MIT
#include "AppIcon.h"

#include <QPainter>
#include <QSvgRenderer>

namespace morlith {
namespace {

// The icon's drawing, compiled in from app/icons.
const char *const kAppIconSvg = ":/icons/morlith.svg";

} // namespace

QImage RenderAppIcon(int size)
{
    QSvgRenderer renderer{QString::fromLatin1(kAppIconSvg)};
    if (!renderer.isValid() || size <= 0)
        return QImage();
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    renderer.render(&painter, QRectF(0, 0, size, size));
    return image;
}

} // namespace morlith
