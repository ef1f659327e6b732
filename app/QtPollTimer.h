// SPDX-License-Identifier: MIT
#pragma once
// The serial driver's polling timer bound to a QTimer on the thread of the Qt event loop.

#include "PollTimer.h"

#include <QTimer>

namespace morlith {

// A periodic QTimer that calls the driver's tick.
class TQtPollTimer : public IPollTimer {
public:
    // IPollTimer, on a QTimer of the calling thread.
    void Start(uint32_t periodMs, std::function<void()> tick) override;
    void Stop() override;

private:
    QTimer FTimer;
    QMetaObject::Connection FConnection;
};

// Makes every serial driver created from now on poll through a TQtPollTimer.
void InstallQtPollTimers();

} // namespace morlith
