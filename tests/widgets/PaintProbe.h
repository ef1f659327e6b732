// SPDX-License-Identifier: MIT
#pragma once
// Renders widgets into images and inspects the pixels, for the painting tests.

#include <QColor>
#include <QImage>
#include <QRect>
#include <QWidget>

#include <ostream>

// Colours in failure messages as "#rrggbb".
inline void PrintTo(const QColor &color, std::ostream *out)
{
    *out << color.name().toStdString();
}

namespace morlith::test {

// Colour of the image under a widget's painting: a pixel still this colour was not painted.
inline const QColor kUnpainted(255, 0, 255);

// What `widget` paints itself (no window background, no children), on kUnpainted.
inline QImage RenderAlone(QWidget &widget)
{
    QImage image(widget.size(), QImage::Format_RGB32);
    image.fill(kUnpainted);
    widget.render(&image, QPoint(), QRegion(), QWidget::RenderFlags());
    return image;
}

// The colour at (x, y), without alpha.
inline QColor Pixel(const QImage &image, int x, int y)
{
    return QColor(image.pixel(x, y)).toRgb();
}

// The bounding rectangle of the pixels that are not kUnpainted.
inline QRect PaintedBounds(const QImage &image)
{
    QRect bounds;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (Pixel(image, x, y) != kUnpainted)
                bounds |= QRect(x, y, 1, 1);
    return bounds;
}

} // namespace morlith::test
