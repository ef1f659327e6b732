#pragma once
// Ends the event loop on SIGINT or SIGTERM, so the application closes down in its usual order
// (the demo script and a desktop session stop it this way).

#include <QObject>

class QSocketNotifier;

namespace morlith {

// Blocks SIGINT and SIGTERM in this thread (call before any other thread starts, so every
// thread inherits the mask) and returns a descriptor that reads them; -1 on failure.
int BlockTerminationSignals();

// Quits the Qt event loop when a signal arrives on the descriptor.
class TQuitOnSignal : public QObject {
public:
    // Watches `signalFd` (from BlockTerminationSignals); owns and closes it.
    explicit TQuitOnSignal(int signalFd);
    ~TQuitOnSignal() override;

private:
    int FSignalFd;
    QSocketNotifier *FNotifier = nullptr;
};

} // namespace morlith
