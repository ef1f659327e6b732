// SPDX-License-Identifier: MIT
#pragma once
// TInputBlock: keeps the operator's keys and clicks away from some widgets for a while.

#include <QObject>
#include <QPointer>

#include <vector>

class QWidget;

namespace morlith {

// While it lives, user input (keys, shortcuts, mouse buttons, wheel, touch, context menus) aimed
// at the blocked widgets or anything inside them is dropped; every other window (a dialog shown
// meanwhile, a message box) gets its input as usual.
class TInputBlock : public QObject {
public:
    // What happens to input still queued when the block ends.
    enum class TQueuedInput {
        Keep, // delivered afterwards as usual
        Drop, // delivered and dropped before the block ends: keys typed while the thread was
              // busy in a blocking operation do not land on the window once it is over
    };

    TInputBlock(std::vector<QWidget *> Blocked, TQueuedInput Queued);
    // Drops the queued input if asked to, then lets input through again.
    ~TInputBlock() override;
    TInputBlock(const TInputBlock &) = delete;
    TInputBlock &operator=(const TInputBlock &) = delete;

    // The windows on the screen now: what an operation about to start must keep input away from.
    static std::vector<QWidget *> VisibleWindows();

    // Whether `Event` for `Receiver` is one this block drops.
    bool Blocks(QObject *Receiver, const QEvent *Event) const;

protected:
    bool eventFilter(QObject *Receiver, QEvent *Event) override;

private:
    bool Covers(const QWidget *Widget) const;

    std::vector<QPointer<QWidget>> FBlocked;
    TQueuedInput FQueued;
};

} // namespace morlith
