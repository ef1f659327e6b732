// SPDX-License-Identifier: MIT
#pragma once
// TFlatButton: a button without caption or background laid over a picture; it draws only a thin
// raised edge while the mouse is over it and a sunken one while it is pressed.

#include <QAbstractButton>

namespace morlith {

class TFlatButton : public QAbstractButton {
public:
    // A button at `geometry` in `parent`, with the hand-point cursor.
    TFlatButton(QWidget *parent, const QRect &geometry);

protected:
    void paintEvent(QPaintEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
};

} // namespace morlith
