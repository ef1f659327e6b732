#include "Interruption.h"

#include "CliOptions.h"
#include "Programmator.h"

#include <atomic>
#include <csignal>
#include <pthread.h>

namespace morlith::cli {
namespace {

std::atomic<bool> gInterrupted{false};
// One slot per port that may run at once; a handler only reads them.
std::atomic<TProgrammator *> gProgrammators[kMaxPorts];

void AskAllToStop()
{
    for (auto &slot : gProgrammators)
        if (TProgrammator *programmator = slot.load())
            programmator->RequestAbort();
}

extern "C" void OnInterruptSignal(int) { RequestInterrupt(); }

sigset_t InterruptSignals()
{
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    return signals;
}

static_assert(std::atomic<bool>::is_always_lock_free, "the signal handler needs lock-free atomics");
static_assert(std::atomic<TProgrammator *>::is_always_lock_free, "the signal handler needs lock-free atomics");

} // namespace

void InstallInterruptHandlers()
{
    struct sigaction action {};
    action.sa_handler = OnInterruptSignal;
    sigemptyset(&action.sa_mask);
    // A second Ctrl-C gets the default action: the operator can always end the tool.
    action.sa_flags = SA_RESETHAND;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

bool InterruptRequested() { return gInterrupted.load(); }

void RequestInterrupt()
{
    gInterrupted.store(true);
    AskAllToStop();
}

TInterruptScope::TInterruptScope(TProgrammator &programmator)
{
    for (int i = 0; i < int(kMaxPorts); ++i) {
        TProgrammator *expected = nullptr;
        if (gProgrammators[i].compare_exchange_strong(expected, &programmator)) {
            FSlot = i;
            break;
        }
    }
    if (InterruptRequested())
        programmator.RequestAbort();
}

TInterruptScope::~TInterruptScope()
{
    if (FSlot >= 0)
        gProgrammators[FSlot].store(nullptr);
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

} // namespace morlith::cli
