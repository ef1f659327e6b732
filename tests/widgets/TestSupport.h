// SPDX-License-Identifier: MIT
#pragma once
// Helpers of the widget tests: running the event loop until something has happened.

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <functional>

namespace morlith::test {

// Runs the event loop until `done` holds (checked every 5 ms) or `timeoutMs` has passed;
// returns whether `done` held. The thread sleeps in the event loop meanwhile.
inline bool RunEventsUntil(const std::function<bool()> &done, int timeoutMs = 5000)
{
    if (done())
        return true;
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done())
            loop.quit();
    });
    poll.start(5);
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    loop.exec();
    return done();
}

// Runs the event loop for `milliseconds`.
inline void RunEventsFor(int milliseconds)
{
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

} // namespace morlith::test
