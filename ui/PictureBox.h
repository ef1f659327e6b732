#pragma once
// TPictureBox: a form's picture, drawn stretched over its box or centred in it.

#include <QImage>
#include <QWidget>

namespace morlith {

class TPictureBox : public QWidget {
public:
    // How the picture fills the box.
    enum class TFit { Stretch, Center };

    // A box at `geometry` in `parent` showing `picture` (a null picture leaves it empty).
    TPictureBox(QWidget *parent, const QRect &geometry, const QImage &picture, TFit fit);

    // The picture shown; null when none decoded.
    const QImage &Picture() const { return FPicture; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QImage FPicture;
    TFit FFit;
};

} // namespace morlith
