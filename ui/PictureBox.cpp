// SPDX-License-Identifier: MIT
#include "PictureBox.h"

#include "JpegPicture.h"

#include <QPainter>

namespace morlith {

QString SharpPicturePath(const QString &path)
{
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    if (dot <= slash)
        return path + QStringLiteral("@2x");
    return path.left(dot) + QStringLiteral("@2x") + path.mid(dot);
}

TPictureBox::TPictureBox(QWidget *parent, const QRect &geometry, const char *path, TFit fit)
    : QWidget(parent), FPicture(LoadJpegPicture(QString::fromLatin1(path))),
      FSharpPicture(LoadJpegPicture(SharpPicturePath(QString::fromLatin1(path)))), FFit(fit)
{
    setGeometry(geometry);
    setAttribute(Qt::WA_TranslucentBackground);
}

const QImage &TPictureBox::PictureFor(qreal devicePixelRatio) const
{
    return devicePixelRatio > 1 && !FSharpPicture.isNull() ? FSharpPicture : FPicture;
}

void TPictureBox::paintEvent(QPaintEvent *)
{
    if (FPicture.isNull())
        return;
    QPainter painter(this);
    // The device transform holds the screen's scale (and that of an image rendered into).
    const QImage &picture = PictureFor(painter.deviceTransform().m11());
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    if (FFit == TFit::Stretch) {
        painter.drawImage(rect(), picture);
        return;
    }
    // Centred at its 100 % size, whichever resolution is drawn.
    QRect target(QPoint(0, 0), FPicture.size());
    target.moveCenter(rect().center());
    painter.drawImage(target, picture);
}

} // namespace morlith
