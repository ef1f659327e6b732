// SPDX-License-Identifier: MIT
#include "InputBlock.h"

#include <QApplication>
#include <QEvent>
#include <QShortcut>
#include <QWidget>

namespace morlith {
namespace {

bool IsUserInput(QEvent::Type Type)
{
    switch (Type) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::ContextMenu:
        return true;
    default:
        return false;
    }
}

// The widget an input event for `Receiver` acts on: the receiver itself, or the widget a
// shortcut belongs to.
const QWidget *TargetWidget(QObject *Receiver)
{
    if (const auto *shortcut = qobject_cast<QShortcut *>(Receiver))
        return qobject_cast<const QWidget *>(shortcut->parent());
    return qobject_cast<const QWidget *>(Receiver);
}

} // namespace

TInputBlock::TInputBlock(std::vector<QWidget *> Blocked, TQueuedInput Queued) : FQueued(Queued)
{
    for (QWidget *widget : Blocked)
        if (widget)
            FBlocked.emplace_back(widget);
    if (QCoreApplication *application = QCoreApplication::instance())
        application->installEventFilter(this);
}

TInputBlock::~TInputBlock()
{
    // Input the window system handed over while the thread was busy is delivered here, and
    // dropped by the filter still installed.
    if (FQueued == TQueuedInput::Drop) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents(QEventLoop::ExcludeSocketNotifiers);
    }
    if (QCoreApplication *application = QCoreApplication::instance())
        application->removeEventFilter(this);
}

std::vector<QWidget *> TInputBlock::VisibleWindows()
{
    std::vector<QWidget *> windows;
    for (QWidget *window : QApplication::topLevelWidgets())
        if (window->isVisible())
            windows.push_back(window);
    return windows;
}

bool TInputBlock::Covers(const QWidget *Widget) const
{
    for (const QPointer<QWidget> &blocked : FBlocked)
        if (blocked && (Widget == blocked || blocked->isAncestorOf(Widget)))
            return true;
    return false;
}

bool TInputBlock::Blocks(QObject *Receiver, const QEvent *Event) const
{
    if (!IsUserInput(Event->type()))
        return false;
    const QWidget *target = TargetWidget(Receiver);
    return target && Covers(target);
}

bool TInputBlock::eventFilter(QObject *Receiver, QEvent *Event)
{
    if (!Blocks(Receiver, Event))
        return false;
    Event->accept();
    return true;
}

} // namespace morlith
