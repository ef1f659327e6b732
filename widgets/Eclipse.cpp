#include "Eclipse.h"

#include "BlendSupport.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace morlith {

TEclipse::TEclipse(QObject *owner, bool canBlend)
    : QObject(owner), FOverlay(std::make_unique<QWidget>(nullptr, Qt::Window | Qt::FramelessWindowHint))
{
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        FOverlay->setGeometry(screen->geometry());
    FOverlay->setAttribute(Qt::WA_ShowWithoutActivating);
    FOverlay->setAutoFillBackground(true);
    SetBGColor(FBGColor);
    FAlphaBlendEnabled = canBlend;
    FOverlay->setWindowOpacity(FAlphaBlend / 255.0);
}

TEclipse::~TEclipse() = default;

bool TEclipse::DetectBlending()
{
    return PlatformCanBlendWindows();
}

void TEclipse::SetActive(bool active)
{
    FActive = active;
    if (!active)
        FOverlay->hide();
    else if (FAlphaBlendEnabled)
        FOverlay->show();
}

void TEclipse::SetBGColor(const QColor &color)
{
    FBGColor = color;
    QPalette palette = FOverlay->palette();
    palette.setColor(QPalette::Window, color);
    FOverlay->setPalette(palette);
}

void TEclipse::SetAlphaBlend(uint8_t alpha)
{
    FAlphaBlend = alpha;
    FOverlay->setWindowOpacity(alpha / 255.0);
}

} // namespace morlith
