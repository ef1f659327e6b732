// SPDX-License-Identifier: MIT
#pragma once
// Counts how often a window is raised (each raise sends it a z-order change), for tests that
// check which windows are put back on top.

#include <QEvent>
#include <QObject>

class RaiseCounter : public QObject {
public:
    // Raises seen since installation.
    int raises = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::ZOrderChange)
            ++raises;
        return false;
    }
};
