// SPDX-License-Identifier: MIT
#include "ProcessTimer.h"

#include "PaceClock.h"

#include <QTimer>
#include <QtGlobal>

#include <cstdlib>
#include <exception>

namespace morlith {

TProcessTimer::TProcessTimer(QObject *owner)
    : QObject(owner), FTimer(new QTimer(this)), FStartTime(QDateTime::currentDateTime())
{
    // A coarse timer may fire up to 5 % early; a process must never end before its ticks.
    FTimer->setTimerType(Qt::PreciseTimer);
    FTimer->setInterval(FInterval);
    connect(FTimer, &QTimer::timeout, this, &TProcessTimer::Tick);
}

TProcessTimer::~TProcessTimer()
{
    if (FDestroyedFlag)
        *FDestroyedFlag = true;
    // FTimer is a child and goes with this object; no event is fired.
}

void TProcessTimer::SetRunning(bool value)
{
    if (value == FRunning)
        return;
    if (value)
        Start();
    else
        Stop();
}

void TProcessTimer::Start()
{
    if (FRunning)
        return;
    FProgress = 0;
    Fire(OnStart, this);
    if (FExecutingMode == TTimerExecutingMode::temByTicks)
        FTickCount = 0;
    else if (FExecutingMode == TTimerExecutingMode::temByTime)
        FStartTime = QDateTime::currentDateTime();
    FRunning = true;
    Arm();
}

void TProcessTimer::Stop()
{
    if (!FRunning)
        return;
    FRunning = false;
    Disarm();
    PaceClock().Sleep(kStopPauseMs);
    // Inside a tick the tick handler fires OnStop itself once OnTimer returns.
    if (!FInTick)
        Fire(OnStop, this);
}

void TProcessTimer::SetInterval(int milliseconds)
{
    if (milliseconds == FInterval)
        return;
    FInterval = milliseconds;
    if (FInterval > 0)
        FTimer->setInterval(FInterval);
    if (FArmed)
        Arm();
}

void TProcessTimer::SetMaxTickCount(uint32_t count)
{
    if (count != 0)
        FMaxTickCount = count;
}

void TProcessTimer::SetMaxMilliSecondsCount(uint32_t milliseconds)
{
    if (milliseconds != 0)
        FMaxMilliSecondsCount = milliseconds;
}

void TProcessTimer::Arm()
{
    FArmed = true;
    // A timer of interval 0 would fire continuously: such a timer never ticks instead.
    if (FInterval > 0)
        FTimer->start(PaceClock().TimerInterval(FInterval));
    else
        FTimer->stop();
}

void TProcessTimer::Disarm()
{
    FArmed = false;
    FTimer->stop();
}

void TProcessTimer::Tick()
{
    Disarm();
    if (!FRunning)
        return;
    bool destroyed = false;
    FDestroyedFlag = &destroyed;
    FInTick = true;
    try {
        RunTick(destroyed);
    } catch (const std::exception &error) {
        if (destroyed)
            return;
        // An exception must not cross the event loop: report it and leave the process ended
        // (timer disarmed, no OnStop), so that a later Start works again.
        FRunning = false;
        qCritical("Process timer: %s", error.what());
    }
    if (destroyed)
        return;
    FInTick = false;
    FDestroyedFlag = nullptr;
}

void TProcessTimer::RunTick(const bool &destroyed)
{
    UpdateProgress();
    if (FProgress > 100)
        FProgress = 100;
    if (FProgress == 100)
        FRunning = false;
    Fire(OnTimer, this);
    if (destroyed)
        return;
    if (FRunning)
        Arm();
    else
        Fire(OnStop, this);
}

void TProcessTimer::UpdateProgress()
{
    switch (FExecutingMode) {
    case TTimerExecutingMode::temByTicks: {
        ++FTickCount;
        const uint32_t percentTicks = static_cast<uint32_t>(FTickCount) * 100u;
        FProgress = static_cast<float>(static_cast<double>(percentTicks) / FMaxTickCount);
        break;
    }
    case TTimerExecutingMode::temByTime: {
        const int64_t elapsed = std::llabs(FStartTime.msecsTo(QDateTime::currentDateTime()));
        FProgress = static_cast<float>(static_cast<double>(elapsed * 100) / FMaxMilliSecondsCount);
        break;
    }
    case TTimerExecutingMode::temStandart:
        break;
    }
}

} // namespace morlith
