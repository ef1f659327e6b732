// SPDX-License-Identifier: MIT
// Stop requests on Linux: SIGINT, SIGTERM and SIGHUP.

#include "Interruption.h"

#include "EventWait.h"

#include <csignal>
#include <pthread.h>
#include <unistd.h>

namespace morlith::cli {
namespace {

void Unlink(const char *path) { ::unlink(path); }

extern "C" void OnInterruptSignal(int signal)
{
    if (!InterruptRequested()) {
        RequestInterrupt();
        return;
    }
    // The second signal: the operator wants out now. Only async-signal-safe calls from here.
    ForEachTemporaryFile(Unlink);
    ::signal(signal, SIG_DFL);
    ::raise(signal);
}

sigset_t InterruptSignals()
{
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGHUP);
    return signals;
}

} // namespace

void InstallInterruptHandlers()
{
    OpenInterruptWake();
    // A closed pipe on standard output ends a write with EPIPE instead of killing the tool, and
    // a file-size limit ends a file write with EFBIG: both are then reported, and the file they
    // were meant to replace stays as it was.
    std::signal(SIGPIPE, SIG_IGN);
    std::signal(SIGXFSZ, SIG_IGN);
    struct sigaction action {};
    action.sa_handler = OnInterruptSignal;
    // One handler at a time: a second signal never interrupts the first one's bookkeeping.
    action.sa_mask = InterruptSignals();
    action.sa_flags = 0;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    // A closed terminal is a request to stop, not a reason to leave files behind.
    sigaction(SIGHUP, &action, nullptr);
}

TInterruptBlock::TInterruptBlock()
{
    const sigset_t signals = InterruptSignals();
    FBlocked = pthread_sigmask(SIG_BLOCK, &signals, nullptr) == 0;
}

TInterruptBlock::~TInterruptBlock()
{
    const sigset_t signals = InterruptSignals();
    if (FBlocked)
        pthread_sigmask(SIG_UNBLOCK, &signals, nullptr);
}

void NoteWorkFinished() {}

} // namespace morlith::cli
