// SPDX-License-Identifier: MIT
#pragma once
// The work on one port, a device command or a recipe: its own programmator on the port, stop
// requests reaching it, the reporter told of progress, the outcome. Made and destroyed on the
// main thread; Run may be called on any thread.

#include "ComPortProgrammator.h"
#include "Console.h"
#include "Interruption.h"
#include "PortChoice.h"
#include "SessionReport.h"
#include "Station.h"

#include <chrono>
#include <memory>

namespace morlith::cli {

// The pause between two connect handshakes of --retries, in ms.
constexpr int kRetryPauseMs = 500;

// A station runs it as the work on one unit.
class TPortSession : public TStationWork {
public:
    TPortSession(const TPortChoice &port, uint32_t timeoutMs, TSessionReporter &reporter, TConsole &console);
    virtual ~TPortSession() = default;
    TPortSession(const TPortSession &) = delete;
    TPortSession &operator=(const TPortSession &) = delete;

    // Run() does the work and reports its end to the reporter.
    // How it ended (after Run).
    const TPortOutcome &Outcome() const { return FOutcome; }

protected:
    // Seconds since Run started.
    double Elapsed() const;
    // Tells the reporter where the programmator's write stands.
    void OnProgress();
    // Says a frame on standard error (--verbose).
    void OnFrame(const TFrameTraceEvent &event);

    TPortChoice FPort;
    TSessionReporter &FReporter;
    TConsole &FConsole;
    std::unique_ptr<TComPortProgrammator> FProgrammator;
    TInterruptScope FInterruptScope;
    TPortOutcome FOutcome;
    std::chrono::steady_clock::time_point FStart = std::chrono::steady_clock::now();
};

// Where an application write of `programmator` stands, `seconds` after the command started.
TProgressStep ProgressOf(const TProgrammator &programmator, double seconds);

// A line of the --verbose trace: "COM3 -> C 54 bytes", "COM3 <- C 9 bytes, CRC ok".
std::string FrameTraceLine(const std::string &port, const TFrameTraceEvent &event);

// What a record that could not be appended (`appended` false, with `failure`) does to the
// outcome: a success turns into a failure (the station would keep no trace of the module); a
// failure is told on standard error.
void NoteRecordAppended(bool appended, TFailure failure, TPortOutcome &outcome, TConsole &console);

} // namespace morlith::cli
