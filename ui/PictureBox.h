// SPDX-License-Identifier: MIT
#pragma once
// TPictureBox: a form's picture, drawn stretched over its box or centred in it. On a screen with
// more than one device pixel per pixel (150 %, 200 % scaling) it draws the picture's
// double-resolution twin ("chip@2x.jpg" beside "chip.jpg"), so it stays sharp.

#include <QImage>
#include <QWidget>

namespace morlith {

class TPictureBox : public QWidget {
public:
    // How the picture fills the box.
    enum class TFit { Stretch, Center };

    // A box at `geometry` in `parent` showing the JPEG picture at `path` and its twin (a
    // picture that does not decode leaves the box empty).
    TPictureBox(QWidget *parent, const QRect &geometry, const char *path, TFit fit);

    // The picture shown at 100 %; null when none decoded.
    const QImage &Picture() const { return FPicture; }
    // The picture drawn at `devicePixelRatio`: the twin above 1 when it decoded.
    const QImage &PictureFor(qreal devicePixelRatio) const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QImage FPicture;
    QImage FSharpPicture;
    TFit FFit;
};

// The path of the double-resolution twin of the picture at `path`: "@2x" before the extension.
QString SharpPicturePath(const QString &path);

} // namespace morlith
