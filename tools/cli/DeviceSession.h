// SPDX-License-Identifier: MIT
#pragma once
// One device command on one port, through its own programmator and loader, exactly as the GUI
// drives them: Connect for the main controller, SelectMCU for a slave, the operation, Disconnect.
// Made and destroyed on the main thread; Run may be called on any thread.

#include "CliOptions.h"
#include "ComPortProgrammator.h"
#include "Console.h"
#include "Interruption.h"
#include "Loader.h"
#include "OperationRunner.h"
#include "PortChoice.h"
#include "ProductionLog.h"
#include "SessionReport.h"

#include <array>
#include <chrono>
#include <memory>
#include <optional>

namespace morlith::cli {

// What to do on a port.
struct TDeviceJob {
    TCliCommand Command = TCliCommand::ccConnect;
    // The file as given: the package or data file written from, or the file read into ("" for
    // connect).
    std::string File;
    // write-app, write-dseg: what is written, read once and checked before any port is opened.
    TOperationInput Input;
    // Why the input is refused for this module (a watched input that changed); nothing is sent.
    TFailure InputRefusal;
    // Said on the module's line (a watched input that changed and was taken anew).
    std::string InputNote;
    uint8_t Mcu = 0;
    uint32_t TimeoutMs = kDefaultTimeoutMs;
    // read-dseg: replace an existing file; write-dseg: write a file longer than the data segment.
    bool Force = false;
    // write-dseg: read the data segment back and compare; write-app: read the parameter block
    // back and compare it with the header written.
    bool Verify = false;
    // Trace every frame on standard error.
    bool Verbose = false;
    // Further connect handshakes after a failed one, kRetryPauseMs apart.
    uint32_t Retries = 0;
    // read-dseg: the data goes to standard output instead of File.
    bool ToStandardOutput = false;
    // The production log (null for none).
    TProductionLog *Log = nullptr;
    // Written into the record when set.
    std::string Station;
    std::string Operator;
    std::string Lot;

    // The file as messages name it ("standard input", "standard output").
    std::string FileName() const
    {
        if (ToStandardOutput)
            return "standard output";
        return Input.Label.empty() ? File : Input.Label;
    }
};

// Where an application write of `programmator` stands, `seconds` after the command started.
TProgressStep ProgressOf(const TProgrammator &programmator, double seconds);

// A line of the --verbose trace: "COM3 -> C 54 bytes", "COM3 <- C 9 bytes, CRC ok".
std::string FrameTraceLine(const std::string &port, const TFrameTraceEvent &event);

// Appends a record to the production log; a record that cannot be written turns a success into a
// failure (the station would keep no trace of the module), and is told on standard error otherwise.
void AppendRecord(TProductionLog &log, const std::string &line, TPortOutcome &outcome, TConsole &console);

// The pause between two connect handshakes of --retries, in ms.
constexpr int kRetryPauseMs = 500;

class TDeviceSession : public TPortSession {
public:
    TDeviceSession(const TPortChoice &port, const TDeviceJob &job, TSessionReporter &reporter, TConsole &console);
    ~TDeviceSession() override;
    TDeviceSession(const TDeviceSession &) = delete;
    TDeviceSession &operator=(const TDeviceSession &) = delete;

    // Runs the job and reports its end to the reporter.
    void Run() override;
    const TPortOutcome &Outcome() const override { return FOutcome; }

private:
    bool Open();
    bool Perform();
    bool WriteApplication();
    bool ReadDataSegment();
    bool WriteDataSegment();
    bool DeliverToStandardOutput();
    std::string KeepDataRead();
    void AppendToLog();
    bool Fail(const TFailure &failure, int status = kExitFailed);
    bool FailFromRunner();
    void OnFrame(const TFrameTraceEvent &event);
    void OnProgress();
    double Elapsed() const;
    std::string Controller() const;

    TPortChoice FPort;
    TDeviceJob FJob;
    TSessionReporter &FReporter;
    TConsole &FConsole;
    // Declared before the loader, which unhooks itself from it when freed, and before the runner,
    // which stops following its frames when freed.
    std::unique_ptr<TComPortProgrammator> FProgrammator;
    IntfPtr<TLoader> FLoader;
    TSubjectObserver FProgressSubscriber;
    TInterruptScope FInterruptScope;
    TOperationRunner FRunner;
    TPortOutcome FOutcome;
    std::chrono::steady_clock::time_point FStart;
};

} // namespace morlith::cli
