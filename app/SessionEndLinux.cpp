// SPDX-License-Identifier: MIT
#include "SessionEnd.h"

#include "QuitOnSignal.h"

namespace morlith {

TSessionEnd::TSessionEnd() : FSignalFd(BlockTerminationSignals()) {}

// The main window refuses to close while an operation runs, and the signal watch asks again
// until it closes: the window and the predicate are not needed here.
std::unique_ptr<QObject> TSessionEnd::Watch(QWidget &, TCanEnd)
{
    const int signalFd = FSignalFd;
    FSignalFd = -1;
    return std::make_unique<TQuitOnSignal>(signalFd);
}

} // namespace morlith
