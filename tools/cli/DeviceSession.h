// SPDX-License-Identifier: MIT
#pragma once
// One device command on one port, through its own programmator and loader, exactly as the GUI
// drives them: Connect for the main controller, SelectMCU for a slave, the operation, Disconnect.
// Made and destroyed on the main thread; Run may be called on any thread.

#include "CliOptions.h"
#include "Loader.h"
#include "OperationRunner.h"
#include "PortSession.h"
#include "ProductionLog.h"

namespace morlith::cli {

// What to do on a port.
struct TDeviceJob {
    TOperationKind Operation = TOperationKind::okConnect;
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
    // write-app: nothing is written to a controller that already holds the package.
    bool SkipIfCurrent = false;
    // status: the packages asked about.
    std::vector<TKnownPackage> Packages;
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

class TDeviceSession : public TPortSession {
public:
    TDeviceSession(const TPortChoice &port, const TDeviceJob &job, TSessionReporter &reporter, TConsole &console);
    ~TDeviceSession() override;

    void Run() override;

private:
    bool Open();
    bool Perform();
    bool WriteApplication();
    bool ReadDataSegment();
    bool WriteDataSegment();
    bool ReadStatus();
    bool DeliverToStandardOutput();
    std::string KeepDataRead();
    void AppendToLog();
    bool Fail(const TFailure &failure, int status = kExitFailed);
    bool FailFromRunner();
    std::string Controller() const;

    TDeviceJob FJob;
    // The programmator (in the base) outlives the loader, which unhooks itself from it when
    // freed, and the runner, which stops following its frames when freed.
    IntfPtr<TLoader> FLoader;
    TSubjectObserver FProgressSubscriber;
    TOperationRunner FRunner;
};

} // namespace morlith::cli
