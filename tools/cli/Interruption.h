#pragma once
// Ctrl-C and SIGTERM during device work: the handler records the request and asks every
// registered programmator to stop after its current exchange. The work then ends by itself,
// sends nothing more and reports the state the module was left in.

namespace morlith {
class TProgrammator;
}

namespace morlith::cli {

// Installs the handlers for SIGINT and SIGTERM (a second signal ends the tool at once).
void InstallInterruptHandlers();

// True once SIGINT or SIGTERM arrived (or RequestInterrupt was called).
bool InterruptRequested();

// Records a stop request as the signal handler does (async-signal-safe).
void RequestInterrupt();

// Registers a programmator for stop requests while it lives; asks it at once when a request came
// before.
class TInterruptScope {
public:
    explicit TInterruptScope(TProgrammator &programmator);
    ~TInterruptScope();
    TInterruptScope(const TInterruptScope &) = delete;
    TInterruptScope &operator=(const TInterruptScope &) = delete;

private:
    int FSlot = -1;
};

// Blocks SIGINT and SIGTERM in the calling thread while it lives, so that threads started meanwhile
// never run the handler; the main thread, which waits for them, does.
class TInterruptBlock {
public:
    TInterruptBlock();
    ~TInterruptBlock();
    TInterruptBlock(const TInterruptBlock &) = delete;
    TInterruptBlock &operator=(const TInterruptBlock &) = delete;

private:
    bool FBlocked = false;
};

} // namespace morlith::cli
