// SPDX-License-Identifier: MIT
#include "QtPollTimer.h"

namespace morlith {

void TQtPollTimer::Start(uint32_t periodMs, std::function<void()> tick)
{
    Stop();
    FConnection = QObject::connect(&FTimer, &QTimer::timeout, std::move(tick));
    FTimer.start(static_cast<int>(periodMs));
}

void TQtPollTimer::Stop()
{
    FTimer.stop();
    QObject::disconnect(FConnection);
}

void InstallQtPollTimers()
{
    SetPollTimerFactory([] { return std::make_unique<TQtPollTimer>(); });
}

} // namespace morlith
