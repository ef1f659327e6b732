// SPDX-License-Identifier: MIT
#include "EventLoopWait.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

namespace morlith {
namespace {
// How long one pass of the loop may sleep before the condition is checked again, in ms.
constexpr int kRecheckMs = 10;
} // namespace

bool ProcessEventsUntil(const std::function<bool()> &done, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < timeoutMs) {
        QEventLoop loop;
        QTimer::singleShot(kRecheckMs, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return done();
}

} // namespace morlith
