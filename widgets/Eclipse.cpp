// SPDX-License-Identifier: MIT
#include "Eclipse.h"

#include "BlendSupport.h"

#include <QApplication>
#include <QCloseEvent>
#include <QScreen>
#include <QWidget>

namespace morlith {
namespace {

// The overlay window. It never takes the focus and refuses close requests (Alt+F4): only its
// TEclipse removes it, when the operation has ended. A click on it puts the application's
// dialogs (the progress, the countdown, a message) back above it, in case the window manager
// raised it over them.
class TOverlayWindow : public QWidget {
public:
    TOverlayWindow()
        : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus)
    {
    }

protected:
    void closeEvent(QCloseEvent *event) override { event->ignore(); }
    void mousePressEvent(QMouseEvent *event) override
    {
        RaiseDialogs();
        QWidget::mousePressEvent(event);
    }

private:
    void RaiseDialogs()
    {
        for (QWidget *window : QApplication::topLevelWidgets()) {
            const Qt::WindowType type = window->windowType();
            if (window != this && window->isVisible() && (type == Qt::Dialog || type == Qt::Tool))
                window->raise();
        }
        if (QWidget *modal = QApplication::activeModalWidget())
            modal->activateWindow();
    }
};

} // namespace

TEclipse::TEclipse(QObject *owner, bool canBlend)
    : QObject(owner), FOverlay(std::make_unique<TOverlayWindow>())
{
    if (const QScreen *screen = QApplication::primaryScreen())
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
