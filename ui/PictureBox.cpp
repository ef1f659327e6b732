#include "PictureBox.h"

#include <QPainter>

namespace morlith {

TPictureBox::TPictureBox(QWidget *parent, const QRect &geometry, const QImage &picture, TFit fit)
    : QWidget(parent), FPicture(picture), FFit(fit)
{
    setGeometry(geometry);
    setAttribute(Qt::WA_TranslucentBackground);
}

void TPictureBox::paintEvent(QPaintEvent *)
{
    if (FPicture.isNull())
        return;
    QPainter painter(this);
    if (FFit == TFit::Stretch) {
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(rect(), FPicture);
        return;
    }
    QRect target(QPoint(0, 0), FPicture.size());
    target.moveCenter(rect().center());
    painter.drawImage(target, FPicture);
}

} // namespace morlith
