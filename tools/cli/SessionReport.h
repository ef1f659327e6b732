// SPDX-License-Identifier: MIT
#pragma once
// What a device session tells its front end: it started, it progressed, it ended. A reporter turns
// these into human text or JSON Lines; it is called from the sessions' threads.

#include "ControllerHolding.h"
#include "Failure.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace morlith::cli {

// Exit statuses.
constexpr int kExitSuccess = 0;
constexpr int kExitFailed = 1;
constexpr int kExitBadInput = 2;
// A run ended by SIGINT or SIGTERM.
constexpr int kExitInterrupted = 130;

// How the work on one port ended.
struct TPortOutcome {
    std::string Port;
    int Status = kExitSuccess;
    // Why it failed: the engine's failure record, or one made by the tool (a file check).
    TFailure Failure;
    // What was done, in words; set on success.
    std::string Message;
    // What the module holds when the work stopped early; empty otherwise.
    std::string ModuleState;
    double Seconds = 0;
    // Bytes moved to or from the module by the command.
    uint64_t Bytes = 0;
    // write-app --skip-if-current: the controller held the package; nothing was written.
    bool AlreadyCurrent = false;
    // run: the unit's serial number, when its recipe takes one (kept by a failed unit too).
    std::optional<uint64_t> Serial;

    bool Ok() const { return Status == kExitSuccess; }
    // Why it failed, in words; empty on success.
    std::string Reason() const { return Failure.Message(); }
};

// `message` for standard error with the port in front, unless the message names it already.
std::string WithPort(const std::string &port, const std::string &message);

// One step of an application write.
struct TProgressStep {
    int32_t Percent = 0;
    uint64_t Sent = 0;
    uint64_t Total = 0;
    double Seconds = 0; // since the command started
};

// Receives the events of every session of a run (from their threads).
class TSessionReporter {
public:
    virtual ~TSessionReporter() = default;
    // A command starts on `port`; `file` is its file argument ("" for connect).
    virtual void Started(const std::string &port, const std::string &command, const std::string &file) = 0;
    // run: step `index` (from 0) of `count` starts on `port`. A single command is step 1 of 1 and
    // says nothing of it.
    virtual void StepStarted(const std::string &port, size_t index, size_t count, const std::string &name)
    {
        (void)port, (void)index, (void)count, (void)name;
    }
    // run: the unit on `port` was given the serial number `serial`, before it is touched.
    virtual void SerialReserved(const std::string &port, uint64_t serial) { (void)port, (void)serial; }
    // status: what each controller of the module on `port` holds.
    virtual void StatusRead(const std::string &port, const std::vector<TControllerHolding> &holdings)
    {
        (void)port, (void)holdings;
    }
    // An application write made progress.
    virtual void Progressed(const std::string &port, const TProgressStep &step) = 0;
    // The command on a port ended.
    virtual void Finished(const TPortOutcome &outcome) = 0;
    // Every port ended (several ports only).
    virtual void Summarise(const std::vector<TPortOutcome> &outcomes) = 0;
};

} // namespace morlith::cli
