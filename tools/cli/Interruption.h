// SPDX-License-Identifier: MIT
#pragma once
// Ctrl-C, SIGTERM and SIGHUP (on Windows Ctrl-C, Ctrl-Break, closing the console, logoff and
// shutdown) during device work: the handler records the request and asks every registered
// programmator to stop; a wait for a reply ends within the driver's check interval.
// The work then ends by itself, sends nothing more and reports the state the module was left in.
// A second signal ends the tool at once, after removing the temporary files it made.

namespace morlith {
class TProgrammator;
}

namespace morlith::cli {

// Installs the handlers for SIGINT, SIGTERM and SIGHUP, or the console's handler on Windows (a
// second request ends the tool at once). On Linux a closed output pipe or a file-size limit then
// fails a write instead of ending the tool. One implementation per platform.
void InstallInterruptHandlers();

// Names a temporary file that a second signal removes before the tool ends (the path must stay
// valid until it is unregistered).
void RegisterTemporaryFile(const char *path);
void UnregisterTemporaryFile(const char *path);
// Calls `visit` for every temporary file registered now; async-signal-safe when `visit` is.
void ForEachTemporaryFile(void (*visit)(const char *path));

// Says that the tool has finished its work, its records and its clean-up. On Windows the end of a
// session (the console closed, logoff, shutdown) waits for it before the process is ended;
// nothing on Linux, where a signal does not end the process by itself.
void NoteWorkFinished();

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

// Blocks SIGINT, SIGTERM and SIGHUP in the calling thread while it lives, so that threads started meanwhile
// never run the handler; the main thread, which waits for them, does. (On Windows the handler has
// a thread of its own, and this does nothing.)
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
