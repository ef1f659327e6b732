// SPDX-License-Identifier: MIT
#include "FormStyle.h"

#include "jvShape.h"

#include <QFontInfo>
#include <QFontMetricsF>
#include <QFrame>
#include <QLabel>
#include <QPushButton>

namespace morlith {
namespace {

// Advance of one Consolas character, in ems.
constexpr qreal kConsolasAdvanceEm = 0.55;

QFont FontOf(const char *family, int pixels, bool bold)
{
    QFont font{QString::fromLatin1(family)};
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

// Monospace stand-ins are about a tenth wider than Consolas, which would overflow the forms'
// fixed label places; their letters are drawn at Consolas' advance instead.
void NarrowToConsolas(QFont &font)
{
    if (QFontInfo(font).family().compare(QStringLiteral("Consolas"), Qt::CaseInsensitive) == 0)
        return;
    const qreal advance = QFontMetricsF(font).horizontalAdvance(QLatin1Char('0'));
    const qreal wanted = kConsolasAdvanceEm * font.pixelSize();
    if (advance > wanted)
        font.setLetterSpacing(QFont::AbsoluteSpacing, wanted - advance);
}

// Shape settings every background and bar shares: no outline, Thickness 10.
void SetCommonShape(TjvShape &shape)
{
    shape.SetPen(QPen(Qt::NoPen));
    shape.SetThickness(10);
}

} // namespace

QFont ConsolasFont(int pixels, bool bold)
{
    QFont font = FontOf("Consolas", pixels, bold);
    NarrowToConsolas(font);
    return font;
}

QFont TahomaFont(int pixels, bool bold) { return FontOf("Tahoma", pixels, bold); }

QLabel *MakeLabel(QWidget *parent, const QRect &geometry, const QString &text, const QFont &font,
                  const QColor &color)
{
    auto *label = new QLabel(text, parent);
    label->setGeometry(geometry);
    label->setFont(font);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, color);
    label->setPalette(palette);
    label->setAttribute(Qt::WA_TranslucentBackground);
    return label;
}

QLabel *MakeHeading(QWidget *parent, const QRect &geometry, const QString &text)
{
    QLabel *heading = MakeLabel(parent, geometry, text, ConsolasFont(19, true), kHeadingColor);
    heading->adjustSize();
    return heading;
}

QPalette FormPalette()
{
    // Built from the button face, then every role of every group set explicitly: a role left
    // unset would follow the desktop's palette.
    QPalette palette{QColor(240, 240, 240)};
    palette.setColor(QPalette::Window, QColor(240, 240, 240));
    palette.setColor(QPalette::WindowText, Qt::black);
    palette.setColor(QPalette::ButtonText, Qt::black);
    palette.setColor(QPalette::Base, Qt::white);
    palette.setColor(QPalette::Text, Qt::black);
    // A disabled field greys out like the button face, as the forms' edit fields do.
    palette.setColor(QPalette::Disabled, QPalette::Base, QColor(240, 240, 240));
    palette.setColor(QPalette::Disabled, QPalette::Text, QColor(109, 109, 109));
    palette.setColor(QPalette::Disabled, QPalette::WindowText, QColor(109, 109, 109));
    palette.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(109, 109, 109));
    palette.setColor(QPalette::Highlight, QColor(0, 120, 215));
    palette.setColor(QPalette::HighlightedText, Qt::white);
    palette.setColor(QPalette::ToolTipBase, QColor(255, 255, 225));
    palette.setColor(QPalette::ToolTipText, Qt::black);
    palette.setColor(QPalette::PlaceholderText, QColor(109, 109, 109));
    palette.setColor(QPalette::Link, QColor(0, 102, 204));
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive,
                                             QPalette::Disabled}) {
        for (int role = 0; role < QPalette::NColorRoles; ++role) {
            const auto colorRole = static_cast<QPalette::ColorRole>(role);
            if (colorRole != QPalette::NoRole)
                palette.setBrush(group, colorRole, palette.brush(group, colorRole));
        }
    }
    return palette;
}

void UseFormPalette(QWidget *form)
{
    form->setPalette(FormPalette());
}

QPushButton *MakeButton(QWidget *parent, const QRect &geometry, const QString &text)
{
    auto *button = new QPushButton(text, parent);
    button->setGeometry(geometry);
    return button;
}

QFrame *MakePanel(QWidget *parent, const QRect &geometry)
{
    auto *panel = new QFrame(parent);
    panel->setGeometry(geometry);
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    panel->setLineWidth(1);
    return panel;
}

QFrame *MakeBevel(QWidget *parent)
{
    auto *bevel = new QFrame(parent);
    bevel->setFrameStyle(QFrame::Box | QFrame::Sunken);
    bevel->setLineWidth(1);
    return bevel;
}

TjvShape *MakeGreenBar(QWidget *parent, const QRect &geometry)
{
    auto *bar = new TjvShape(parent);
    bar->setGeometry(geometry);
    bar->SetBrush(QColor(118, 185, 0));
    bar->SetGradientColor(QColor(98, 171, 0));
    bar->SetGradient(true);
    bar->SetFillDirection(TjvFillDirection::jgdUp);
    bar->SetCaptionCentered(true);
    bar->SetbyUser(true);
    SetCommonShape(*bar);
    return bar;
}

TjvShape *MakePageBackground(QWidget *parent)
{
    auto *background = new TjvShape(parent);
    background->SetGradientColor(QColor(0, 64, 64));
    background->SetGradient(false);
    background->SetFillDirection(TjvFillDirection::jgdLeft);
    background->SetbyUser(false);
    SetCommonShape(*background);
    return background;
}

void LayOutPageBackground(QWidget *panel, QFrame *bevel, TjvShape *background)
{
    // Inside the panel's one-pixel border: the bevel takes two pixels, the background the rest.
    const QRect inner = panel->rect().adjusted(1, 1, -1, -1);
    bevel->setGeometry(inner.left(), inner.top(), 2, inner.height());
    background->setGeometry(inner.left() + 2, inner.top(), inner.width() - 2, inner.height());
}

} // namespace morlith
