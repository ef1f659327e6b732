// SPDX-License-Identifier: MIT
#pragma once
// Ends the event loop on SIGINT or SIGTERM, so the application closes down in its usual order
// (the demo script and a desktop session stop it this way).

#include <QObject>

class QSocketNotifier;
class QTimer;

namespace morlith {

// Blocks SIGINT and SIGTERM in this thread (call before any other thread starts, so every
// thread inherits the mask) and returns a descriptor that reads them; -1 on failure.
int BlockTerminationSignals();

// Quits the Qt event loop when a signal arrives on the descriptor. A window that refuses to
// close (the main window while an operation runs) holds the quit back: it is asked again every
// kRetryMs until the operation has ended and the windows close.
class TQuitOnSignal : public QObject {
public:
    // How often a quit that a window refused is asked again, in milliseconds.
    static constexpr int kRetryMs = 200;

    // Watches `signalFd` (from BlockTerminationSignals); owns and closes it.
    explicit TQuitOnSignal(int signalFd);
    ~TQuitOnSignal() override;

private:
    int FSignalFd;
    QSocketNotifier *FNotifier = nullptr;
    QTimer *FRetry = nullptr;
};

} // namespace morlith
