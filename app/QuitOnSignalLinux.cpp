// SPDX-License-Identifier: MIT
#include "QuitOnSignal.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QTimer>

#include <csignal>
#include <sys/signalfd.h>
#include <unistd.h>

namespace morlith {

int BlockTerminationSignals()
{
    sigset_t terminating;
    sigemptyset(&terminating);
    sigaddset(&terminating, SIGINT);
    sigaddset(&terminating, SIGTERM);
    if (pthread_sigmask(SIG_BLOCK, &terminating, nullptr) != 0)
        return -1;
    return signalfd(-1, &terminating, SFD_CLOEXEC | SFD_NONBLOCK);
}

TQuitOnSignal::TQuitOnSignal(int signalFd) : FSignalFd(signalFd)
{
    if (FSignalFd < 0)
        return;
    FRetry = new QTimer(this);
    FRetry->setInterval(kRetryMs);
    connect(FRetry, &QTimer::timeout, this, [] { QCoreApplication::quit(); });
    FNotifier = new QSocketNotifier(FSignalFd, QSocketNotifier::Read, this);
    connect(FNotifier, &QSocketNotifier::activated, this, [this] {
        signalfd_siginfo info;
        while (read(FSignalFd, &info, sizeof info) == sizeof info) {
        }
        QCoreApplication::quit();
        FRetry->start();
    });
}

TQuitOnSignal::~TQuitOnSignal()
{
    delete FNotifier;
    if (FSignalFd >= 0)
        close(FSignalFd);
}

} // namespace morlith
