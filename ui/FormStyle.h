// SPDX-License-Identifier: MIT
#pragma once
// The building blocks the forms share: fonts, labels, panels, buttons, the green top bar and the
// white page background.

#include <QColor>
#include <QFont>
#include <QPalette>
#include <QRect>
#include <QString>

class QFrame;
class QLabel;
class QPushButton;
class QWidget;

namespace morlith {

class TjvShape;

// The label colour of the pages' headings.
inline const QColor kHeadingColor(81, 81, 81);

// "Consolas" (or its installed stand-in, narrowed to Consolas' advance) at `pixels` pixels.
QFont ConsolasFont(int pixels, bool bold = false);
// "Tahoma" (or its installed stand-in) at `pixels` pixels.
QFont TahomaFont(int pixels, bool bold = false);

// A transparent label at `geometry` in `parent`.
QLabel *MakeLabel(QWidget *parent, const QRect &geometry, const QString &text, const QFont &font,
                  const QColor &color);
// A heading of the Loading and Options pages: Consolas 19 pixels bold, dark grey, sized to its
// text.
QLabel *MakeHeading(QWidget *parent, const QRect &geometry, const QString &text);
// Gives `form` the colours of the forms' own design (button-face grey, black text, white fields),
// every role set, so a dark or coloured desktop theme does not repaint the forms.
void UseFormPalette(QWidget *form);
// That palette.
QPalette FormPalette();
// A push button at `geometry` in `parent`.
QPushButton *MakeButton(QWidget *parent, const QRect &geometry, const QString &text);
// A raised panel with a one-pixel border.
QFrame *MakePanel(QWidget *parent, const QRect &geometry);
// A lowered two-pixel line along the left edge of a page.
QFrame *MakeBevel(QWidget *parent);
// The green gradient of a top bar, at `geometry` in `parent`.
TjvShape *MakeGreenBar(QWidget *parent, const QRect &geometry);
// A page's plain white background shape.
TjvShape *MakePageBackground(QWidget *parent);
// Places a page's bevel and background in its panel: bevel on the left, background beside it.
void LayOutPageBackground(QWidget *panel, QFrame *bevel, TjvShape *background);

} // namespace morlith
