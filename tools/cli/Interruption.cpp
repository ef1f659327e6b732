// SPDX-License-Identifier: MIT
#include "Interruption.h"

#include "CliOptions.h"
#include "EventWait.h"
#include "Programmator.h"

#include <atomic>

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

static_assert(std::atomic<bool>::is_always_lock_free, "the signal handler needs lock-free atomics");
static_assert(std::atomic<TProgrammator *>::is_always_lock_free, "the signal handler needs lock-free atomics");
static_assert(std::atomic<const char *>::is_always_lock_free, "the signal handler needs lock-free atomics");

} // namespace

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

void ForEachTemporaryFile(void (*visit)(const char *path))
{
    for (auto &slot : gTemporaryFiles)
        if (const char *path = slot.load())
            visit(path);
}

bool InterruptRequested() { return gInterrupted.load(); }

void RequestInterrupt()
{
    gInterrupted.store(true);
    AskAllToStop();
    NotifyInterruptWake();
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

} // namespace morlith::cli
