#pragma once
// One device command on one port, through its own programmator and loader, exactly as the GUI
// drives them: Connect for the main controller, SelectMCU for a slave, the operation, Disconnect.
// Made and destroyed on the main thread; Run may be called on any thread.

#include "CliOptions.h"
#include "ComPortProgrammator.h"
#include "Console.h"
#include "Interruption.h"
#include "Loader.h"
#include "ModuleWriteLog.h"
#include "PortChoice.h"
#include "SessionReport.h"

#include <chrono>
#include <memory>

namespace morlith::cli {

// What to do on a port.
struct TDeviceJob {
    TCliCommand Command = TCliCommand::ccConnect;
    // The package or data file ("" for connect).
    std::string File;
    uint8_t Mcu = 0;
    uint32_t TimeoutMs = kDefaultTimeoutMs;
    // read-dseg: replace an existing file.
    bool Force = false;
    // write-dseg: read the data segment back and compare.
    bool Verify = false;
    // Trace every frame on standard error.
    bool Verbose = false;
};

class TDeviceSession {
public:
    TDeviceSession(const TPortChoice &port, const TDeviceJob &job, TSessionReporter &reporter, TConsole &console);
    ~TDeviceSession();
    TDeviceSession(const TDeviceSession &) = delete;
    TDeviceSession &operator=(const TDeviceSession &) = delete;

    // Runs the job and reports its end to the reporter.
    void Run();
    // How it ended (after Run).
    const TPortOutcome &Outcome() const { return FOutcome; }

private:
    bool Open();
    bool Perform();
    bool WriteApplication();
    bool ReadDataSegment();
    bool WriteDataSegment();
    bool VerifyDataSegment(const std::vector<uint8_t> &written);
    bool Fail(const TFailure &failure, int status = kExitFailed);
    bool FailFromEngine();
    void OnFrame(const TFrameTraceEvent &event);
    void OnProgress();
    double Elapsed() const;
    std::string Controller() const;
    TWriteKind WriteKind() const;

    TPortChoice FPort;
    TDeviceJob FJob;
    TSessionReporter &FReporter;
    TConsole &FConsole;
    // Declared before the loader, which unhooks itself from it when freed.
    std::unique_ptr<TComPortProgrammator> FProgrammator;
    IntfPtr<TLoader> FLoader;
    TSubjectObserver FProgressSubscriber;
    TInterruptScope FInterruptScope;
    TModuleWriteLog FWriteLog;
    TPortOutcome FOutcome;
    uint64_t FTotalBytes = 0;
    std::chrono::steady_clock::time_point FStart;
};

} // namespace morlith::cli
