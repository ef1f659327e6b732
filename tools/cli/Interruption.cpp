#include "Interruption.h"

#include "CliOptions.h"
#include "Programmator.h"

#include <atomic>
#include <csignal>
#include <pthread.h>
#include <unistd.h>

namespace morlith::cli {
namespace {

std::atomic<bool> gInterrupted{false};
// One slot per port that may run at once; a handler only reads them.
std::atomic<TProgrammator *> gProgrammators[kMaxPorts];
// Temporary files a second signal removes: a few per port.
constexpr size_t kMaxTemporaryFiles = 4 * kMaxPorts;
std::atomic<const char *> gTemporaryFiles[kMaxTemporaryFiles];

void AskAllToStop()
{
    for (auto &slot : gProgrammators)
        if (TProgrammator *programmator = slot.load())
            programmator->RequestAbort();
}

void RemoveTemporaryFiles()
{
    for (auto &slot : gTemporaryFiles)
        if (const char *path = slot.load())
            ::unlink(path);
}

extern "C" void OnInterruptSignal(int signal)
{
    if (!gInterrupted.load()) {
        RequestInterrupt();
        return;
    }
    // The second signal: the operator wants out now. Only async-signal-safe calls from here.
    RemoveTemporaryFiles();
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

static_assert(std::atomic<bool>::is_always_lock_free, "the signal handler needs lock-free atomics");
static_assert(std::atomic<TProgrammator *>::is_always_lock_free, "the signal handler needs lock-free atomics");
static_assert(std::atomic<const char *>::is_always_lock_free, "the signal handler needs lock-free atomics");

} // namespace

void InstallInterruptHandlers()
{
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

void RegisterTemporaryFile(const char *path)
{
    for (auto &slot : gTemporaryFiles) {
        const char *expected = nullptr;
        if (slot.compare_exchange_strong(expected, path))
            return;
    }
}

void UnregisterTemporaryFile(const char *path)
{
    for (auto &slot : gTemporaryFiles) {
        const char *expected = path;
        if (slot.compare_exchange_strong(expected, nullptr))
            return;
    }
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
