// SPDX-License-Identifier: MIT
#include "Painters.h"

#include <QFont>
#include <QPainter>
#include <QPainterPath>
#include <QtMath>

namespace morlith::pictures {
namespace {

const QColor kInk(60, 60, 60);
const QColor kGreen(98, 171, 0);
const QColor kDarkGreen(0, 100, 0);

// A white image with an antialiased painter scaled so that drawings use a 100 x 100 grid.
struct TCanvas {
    explicit TCanvas(int size, QColor ground = Qt::white)
        : image(size, size, QImage::Format_RGB32)
    {
        image.fill(ground);
        painter.begin(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.scale(size / 100.0, size / 100.0);
    }
    QImage image;
    QPainter painter;
};

// A gear's outline: `teeth` teeth around a ring of radius `radius` at `center`.
QPainterPath GearPath(QPointF center, qreal radius, int teeth)
{
    QPainterPath path;
    const qreal outer = radius * 1.18;
    for (int i = 0; i < teeth * 4; ++i) {
        const qreal angle = 2 * M_PI * i / (teeth * 4);
        const qreal r = (i % 4 == 1 || i % 4 == 2) ? outer : radius;
        const QPointF point = center + QPointF(r * std::cos(angle), r * std::sin(angle));
        i == 0 ? path.moveTo(point) : path.lineTo(point);
    }
    path.closeSubpath();
    path.addEllipse(center, radius * 0.35, radius * 0.35);
    return path;
}

} // namespace

QImage PaintChip(int size)
{
    TCanvas canvas(size);
    QPainter &p = canvas.painter;
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(170, 170, 170));
    for (int i = 0; i < 5; ++i) {
        const qreal at = 24 + i * 12;
        p.drawRect(QRectF(at, 6, 6, 14));   // top pins
        p.drawRect(QRectF(at, 80, 6, 14));  // bottom pins
        p.drawRect(QRectF(6, at, 14, 6));   // left pins
        p.drawRect(QRectF(80, at, 14, 6));  // right pins
    }
    p.setBrush(QColor(45, 45, 50));
    p.drawRoundedRect(QRectF(18, 18, 64, 64), 6, 6);
    p.setBrush(kGreen);
    p.drawEllipse(QPointF(30, 30), 5, 5);
    p.setPen(QPen(QColor(120, 120, 130), 2));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(36, 36, 28, 28), 3, 3);
    return canvas.image;
}

QImage PaintGears(int size)
{
    TCanvas canvas(size);
    QPainter &p = canvas.painter;
    p.setPen(QPen(kInk, 2));
    p.setBrush(QColor(150, 150, 155));
    p.drawPath(GearPath(QPointF(40, 42), 26, 10));
    p.setBrush(kGreen);
    p.drawPath(GearPath(QPointF(74, 72), 16, 8));
    return canvas.image;
}

QImage PaintDataFile(int size)
{
    TCanvas canvas(size);
    QPainter &p = canvas.painter;
    QPainterPath sheet;
    sheet.moveTo(18, 6);
    sheet.lineTo(64, 6);
    sheet.lineTo(84, 26);
    sheet.lineTo(84, 94);
    sheet.lineTo(18, 94);
    sheet.closeSubpath();
    p.setPen(QPen(kInk, 3));
    p.setBrush(QColor(250, 250, 240));
    p.drawPath(sheet);
    p.setBrush(QColor(200, 200, 190));
    p.drawPolygon(QPolygonF({QPointF(64, 6), QPointF(64, 26), QPointF(84, 26)}));
    QFont font(QStringLiteral("DejaVu Sans Mono"));
    font.setPixelSize(15);
    font.setBold(true);
    p.setFont(font);
    const char *rows[] = {"1010", "0110", "1101", "0011"};
    for (int i = 0; i < 4; ++i) {
        p.setPen(i % 2 ? kDarkGreen : QColor(0, 90, 160));
        p.drawText(QPointF(26, 44 + i * 15), QString::fromLatin1(rows[i]));
    }
    return canvas.image;
}

QImage PaintSerialPlug(int size)
{
    TCanvas canvas(size);
    QPainter &p = canvas.painter;
    p.setPen(QPen(kInk, 6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(50, 66), QPointF(50, 96));
    p.setPen(QPen(kInk, 3));
    p.setBrush(QColor(140, 145, 150));
    p.drawPolygon(QPolygonF({QPointF(8, 24), QPointF(92, 24), QPointF(82, 66), QPointF(18, 66)}));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(40, 40, 40));
    for (int i = 0; i < 5; ++i)
        p.drawEllipse(QPointF(22 + i * 14, 38), 4, 4);
    for (int i = 0; i < 4; ++i)
        p.drawEllipse(QPointF(29 + i * 14, 53), 4, 4);
    return canvas.image;
}

QImage PaintArrow(int size, bool pointsLeft)
{
    TCanvas canvas(size, QColor(214, 240, 170));
    QPainter &p = canvas.painter;
    if (pointsLeft) {
        p.translate(100, 0);
        p.scale(-1, 1);
    }
    p.setPen(Qt::NoPen);
    p.setBrush(kDarkGreen);
    p.drawPolygon(QPolygonF({QPointF(20, 40), QPointF(52, 40), QPointF(52, 20), QPointF(84, 50),
                             QPointF(52, 80), QPointF(52, 60), QPointF(20, 60)}));
    return canvas.image;
}

} // namespace morlith::pictures
