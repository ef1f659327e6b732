// SPDX-License-Identifier: MIT
#pragma once
// One device operation on one module, run the same way by the window and the command-line tool:
// connecting or selecting the controller, the work on the input read once, the checks before the
// first frame, what the module holds when the work stops early (told before any goodbye frame),
// and the production-log record.

#include "AtomicFile.h"
#include "DataFile.h"
#include "ModuleHoldings.h"
#include "ModuleWriteLog.h"
#include "OperationInput.h"
#include "OperationRecord.h"

#include <chrono>
#include <functional>

namespace morlith {

class TComPortProgrammator;

// Where a stop request ended an operation before its work began.
enum class TStopPoint { spBeforeConnecting, spBetweenConnectAttempts, spAfterConnecting };

// The failure of kind "stopped" for a stop at `Point` ("stopped on request before connecting").
TFailure StoppedOnRequest(TStopPoint Point);

// A handshake worth trying again: the port opened but the module did not answer it soundly (it
// may still be starting). A missing, busy or vanished port is not retried.
bool HandshakeMayBeRetried(const TFailure &Failure);

class TOperationRunner {
public:
    // An operation of `Kind` on `Controller` (0: the main one, 1..4: a slave) through
    // `Programmator`, whose frames it follows while it lives; `Input` is what a write sends.
    TOperationRunner(TComPortProgrammator &Programmator, TOperationKind Kind, uint8_t Controller,
                     TOperationInput Input = {});
    ~TOperationRunner();
    TOperationRunner(const TOperationRunner &) = delete;
    TOperationRunner &operator=(const TOperationRunner &) = delete;

    // Reads what a write sends from `Path` once, and checks it as the write will (a package that
    // would be refused is refused here) and, with trusted keys, against its signature. False with
    // Failure(): kind "file" or "refused_input".
    bool ReadInput(const std::string &Path);
    // The keys whose signature an input must carry (null or none: any input); kept by the caller.
    void SetTrustedKeys(const TTrustedKeys *Keys) { FTrustedKeys = Keys; }
    // Connects for the main controller, selects a slave otherwise. False with Failure().
    bool Connect(int32_t PortNumber);
    // Connect, with up to `Retries` further handshakes after one that got no sound answer, and
    // `Pause` before each (its argument the attempt that failed, from 0). Only the handshake is
    // tried again, never anything that writes. A pause that returns false (a stop was requested)
    // ends the operation "stopped". False with Failure().
    bool ConnectRetrying(int32_t PortNumber, uint32_t Retries, const std::function<bool(uint32_t Attempt)> &Pause);
    // True ends the operation before its next exchange and leaves the module as it is (Finish sends
    // no goodbye). Asked before connecting, between handshakes, after connecting and at the end.
    void SetStopCheck(std::function<bool()> StopRequested) { FStopRequested = std::move(StopRequested); }
    // ConnectRetrying between stop checks: a stop requested before the first handshake, between
    // two or once connected ends the operation "stopped". False with Failure().
    bool Open(int32_t PortNumber, uint32_t Retries, const std::function<bool(uint32_t Attempt)> &Pause);
    // On a connection already made: selects the runner's controller, the main one too (one
    // controller after another on one connection). False with Failure().
    bool Select(int32_t PortNumber);
    // write-app: when the controller's parameter block shows it already holds the package (its
    // image length, CRC and data-segment length), Perform sends no image and Skipped() says so.
    void SetSkipIfCurrent(bool Skip) { FSkipIfCurrent = Skip; }
    // status: the packages Holdings() names (each by its header).
    void SetKnownPackages(std::vector<TKnownPackage> Packages) { FKnownPackages = std::move(Packages); }
    // Writes the application or the data segment, reads the data segment into Data(), or (status)
    // reads every controller's parameter block into Holdings(). A data file longer than the
    // module's data segment is refused unless `Force`. False with Failure().
    bool Perform(bool Force = false);
    // The parameter block of the controller connected to. False with Failure().
    bool ReadParameterBlock(std::array<uint16_t, 4> &Block);
    // After a write: reads back what the module keeps and compares (the data segment, or the
    // parameter block with the package's header). False with Failure(), its step "verification".
    bool Verify();
    // read-dseg: saves Data() at `Path` as a whole, and names it so in the record. A file that
    // cannot be written is a failure of kind "file".
    bool SaveData(const std::string &Path, TExistingFile Existing);
    // read-dseg: how the record names where the data went when it was not SaveData
    // ("standard output").
    void SetOutputLabel(const std::string &Label) { FOutputLabel = Label; }
    // Records a failure the front end found itself (a verification, an output); false.
    bool Fail(const TFailure &Failure);
    // Sees every frame after the runner (the command-line tool's --verbose trace).
    void SetFrameListener(TFrameTraceHook Listener) { FListener = std::move(Listener); }

    // Ends the operation: a wait cut short by a stop request becomes "stopped", and what the
    // module holds is told from the frames so far. Called before any goodbye frame; once only
    // has an effect.
    void Conclude();
    // Concludes, then says goodbye to the module unless a stop request cut short work that was not
    // `Done` (nothing more is sent then; the port closes when the programmator goes). True when the
    // stop left the goodbye out.
    bool Finish(bool Done);

    const TFailure &Failure() const { return FFailure; }
    bool Succeeded() const { return !FFailure.Failed(); }
    // What the module holds after a failed write or a stop; empty otherwise (after Conclude).
    const std::string &ModuleState() const { return FModuleState; }
    const TOperationInput &Input() const { return FInput; }
    // read-dseg: what was read.
    const TByteArray &Data() const { return FData; }
    // The bytes an operation that succeeded wrote or read.
    uint64_t Bytes() const;
    // write-app: the controller already held the package and nothing was written.
    bool Skipped() const { return FSkipped; }
    // status: what each controller holds, the main one first.
    const std::vector<TControllerHolding> &Holdings() const { return FHoldings; }
    // write-dseg: the length of the module's data segment, as its parameter block gives it.
    uint64_t SegmentBytes() const { return FSegmentBytes; }
    // The production-log record, signed by `Tool`, for the port as named (`Port`).
    TOperationRecord Record(const std::string &Tool, const std::string &Port) const;

private:
    // Connects, and with `Select` selects the controller.
    bool Reach(int32_t PortNumber, bool Select);
    bool WriteApplication();
    bool ReadHoldings();
    bool FailFromEngine();
    bool StopRequested() const { return FStopRequested && FStopRequested(); }
    // Marks when the operation's work begins: its first handshake, or on a connection made
    // before, its first exchange.
    void Begin();
    TWriteKind WriteKind() const;
    uint64_t TotalToWrite() const;
    void OnFrame(const TFrameTraceEvent &Event);

    TComPortProgrammator &FProgrammator;
    TOperationKind FKind;
    uint8_t FController;
    TOperationInput FInput;
    const TTrustedKeys *FTrustedKeys = nullptr;
    TFailure FFailure;
    TModuleWriteLog FWriteLog;
    TFrameTraceHook FListener;
    std::function<bool()> FStopRequested;
    bool FConcluded = false;
    std::string FModuleState;
    // The device node the port reached, as it was when opened.
    std::string FDevice;
    TByteArray FData;
    bool FDataRead = false;
    uint64_t FSegmentBytes = 0;
    std::string FOutputLabel;
    bool FSkipIfCurrent = false;
    bool FSkipped = false;
    std::vector<TKnownPackage> FKnownPackages;
    std::vector<TControllerHolding> FHoldings;
    // The port connected to, for the selections of a status reading.
    int32_t FPortNumber = 0;
    // From Begin to Conclude: the record's duration, the same for both front ends.
    bool FBegun = false;
    std::chrono::steady_clock::time_point FStart;
    std::chrono::steady_clock::time_point FEnd;
};

} // namespace morlith
