// SPDX-License-Identifier: MIT
#include "FlatButton.h"

#include <QPainter>

namespace morlith {

TFlatButton::TFlatButton(QWidget *parent, const QRect &geometry) : QAbstractButton(parent)
{
    setGeometry(geometry);
    setCursor(Qt::PointingHandCursor);
    setAttribute(Qt::WA_Hover);
    setFocusPolicy(Qt::NoFocus);
}

void TFlatButton::paintEvent(QPaintEvent *)
{
    if (!isDown() && !underMouse())
        return;
    QPainter painter(this);
    const QRect edge = rect().adjusted(0, 0, -1, -1);
    const QColor light = palette().color(QPalette::Light);
    const QColor dark = palette().color(QPalette::Dark);
    painter.setPen(isDown() ? dark : light);
    painter.drawLine(edge.topLeft(), edge.topRight());
    painter.drawLine(edge.topLeft(), edge.bottomLeft());
    painter.setPen(isDown() ? light : dark);
    painter.drawLine(edge.bottomLeft(), edge.bottomRight());
    painter.drawLine(edge.topRight(), edge.bottomRight());
}

void TFlatButton::enterEvent(QEnterEvent *event)
{
    update();
    QAbstractButton::enterEvent(event);
}

void TFlatButton::leaveEvent(QEvent *event)
{
    update();
    QAbstractButton::leaveEvent(event);
}

} // namespace morlith
