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
#include "OperationRecord.h"
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
    // The package or data file ("" for connect).
    std::string File;
    uint8_t Mcu = 0;
    uint32_t TimeoutMs = kDefaultTimeoutMs;
    // read-dseg: replace an existing file.
    bool Force = false;
    // write-dseg: read the data segment back and compare; write-app: read the parameter block
    // back and compare it with the header written.
    bool Verify = false;
    // Trace every frame on standard error.
    bool Verbose = false;
    // Further connect handshakes after a failed one, kRetryPauseMs apart.
    uint32_t Retries = 0;
    // How messages name File when it is not what the user gave ("standard input").
    std::string FileLabel;
    // read-dseg: the data goes to standard output instead of File.
    bool ToStandardOutput = false;
    // The production log (null for none) and the fingerprints of the files written from.
    TProductionLog *Log = nullptr;
    std::optional<TPackageFingerprint> Package;
    std::optional<TFileFingerprint> DataFile;

    // File as messages name it.
    const std::string &FileName() const { return FileLabel.empty() ? File : FileLabel; }
};

// The pause between two connect handshakes of --retries, in ms.
constexpr int kRetryPauseMs = 500;

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
    bool Connect();
    bool Perform();
    bool WriteApplication();
    bool ReadDataSegment();
    bool WriteDataSegment();
    bool VerifyDataSegment(const std::vector<uint8_t> &written);
    bool VerifyParameterBlock();
    bool DeliverToStandardOutput(const std::string &path);
    void AppendToLog();
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
    // read-dseg: what was read, for the log.
    std::optional<TFileFingerprint> FReadFingerprint;
    uint64_t FTotalBytes = 0;
    std::chrono::steady_clock::time_point FStart;
};

} // namespace morlith::cli
