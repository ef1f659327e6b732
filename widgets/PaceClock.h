// SPDX-License-Identifier: MIT
#pragma once
// IPaceClock: how the interface's deliberate waits pass: the pause before a connect, the pause
// of a stopped process timer, and the ticks of every process timer (a slide, the countdown).
// The application waits them in full; a test installs a clock that runs them fast and records
// what was asked, so a suite does not spend its time waiting.

namespace morlith {

class IPaceClock {
public:
    virtual ~IPaceClock() = default;
    // Blocks the calling thread for `Milliseconds`; no events are processed meanwhile.
    virtual void Sleep(int Milliseconds) = 0;
    // The interval, in milliseconds, to arm a window timer with for one of `Milliseconds`.
    virtual int TimerInterval(int Milliseconds) = 0;
};

// The clock in use: the installed one, else the real one.
IPaceClock &PaceClock();

// Installs `Replacement` (not owned; null restores the real clock); returns the one before.
IPaceClock *InstallPaceClock(IPaceClock *Replacement);

} // namespace morlith
