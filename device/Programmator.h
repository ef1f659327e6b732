// SPDX-License-Identifier: MIT
#pragma once
// TProgrammator: the device-side engine as the rest of the program sees it. Every operation
// returns a boolean; the first failed step ends it. LastFailure() tells why.

#include "Failure.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

namespace morlith {

class TProgrammator;
// A progress notification; Sender is the programmator.
using TProgressEvent = std::function<void(TProgrammator *Sender)>;

class TProgrammator {
public:
    TProgrammator() = default;
    virtual ~TProgrammator() = default;
    TProgrammator(const TProgrammator &) = delete;
    TProgrammator &operator=(const TProgrammator &) = delete;

    // Opens port "COM<PortNumber>" and performs the handshake.
    virtual bool Connect(int32_t PortNumber) { (void)PortNumber; return false; }
    // Connects if needed, then selects controller MCUIndex and performs the handshake again.
    virtual bool SelectMCU(int32_t PortNumber, uint8_t MCUIndex)
    {
        (void)PortNumber;
        (void)MCUIndex;
        return false;
    }
    // Leaves the bootloader and closes the port; true in every case.
    virtual bool Disconnect() { return false; }
    // True after a successful handshake.
    bool GetConnected() const { return FConnected; }
    // Between operations: notices a port that went away and closes it; true while connected.
    virtual bool CheckConnection() { return FConnected; }
    // Writes the application image of a firmware package.
    virtual bool WriteApplication(const std::string &FileName) { (void)FileName; return false; }
    // Reads the data segment into a file; a file that cannot be written is a failure of kind "file".
    virtual bool ReadDSEG(const std::string &FileName) { (void)FileName; return false; }
    // Writes a file into the data segment; a file that cannot be read is a failure of kind "file".
    virtual bool WriteDSEG(const std::string &FileName) { (void)FileName; return false; }

    // Percentage (0..100) of the application write in progress or last done.
    int32_t Progress() const { return FProgress; }
    // Called after each chunk of an application write; empty when unset.
    TProgressEvent OnProgress;

    // Why the last operation failed (kind, step, cause); none after a success.
    const TFailure &LastFailure() const { return FLastFailure; }
    // Bytes of the image sent by the application write in progress or last done, and its length.
    uint32_t BytesSent() const { return FBytesSent; }
    uint32_t BytesTotal() const { return FBytesTotal; }
    // Asks the programmator to stop after its current exchange (safe from any thread or a signal
    // handler): every operation then fails before its next exchange, until ClearAbortRequest.
    void RequestAbort() { FAbortRequested = true; }
    // True from RequestAbort until ClearAbortRequest.
    bool AbortRequested() const { return FAbortRequested; }
    // Lets operations talk to the module again after RequestAbort.
    void ClearAbortRequest() { FAbortRequested = false; }

protected:
    bool FConnected = false;
    int32_t FProgress = 0;
    TFailure FLastFailure;
    uint32_t FBytesSent = 0;
    uint32_t FBytesTotal = 0;
    std::atomic<bool> FAbortRequested{false};
};

} // namespace morlith
