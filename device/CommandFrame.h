// SPDX-License-Identifier: MIT
#pragma once
// TCPPCommand: one framed request and reply with the module's bootloader.
//
// Request on the wire: payload length L (0..50), command byte, L payload bytes, CRC-16 of the
// preceding L + 2 bytes (high byte first). Reply: the command's fixed number of payload bytes
// followed by their CRC-16; no length byte, no echo. The reply overwrites the request payload in
// the same buffer. A reply counts only once the line stays quiet for a character and a half after
// it: bytes that follow it make the exchange fail. In a stream of requests the next request is
// sent at once instead, unless bytes are already waiting.

#include "Failure.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace morlith {

class TCommPortDriver;

// A command's byte and payload lengths, declared as data by each command class.
struct TCommandLayout {
    uint8_t Command; // the command byte, an ASCII letter
    uint16_t RequestLength; // request payload bytes
    uint16_t ReplyLength; // reply payload bytes, without the CRC
};

// One frame seen by the trace hook.
struct TFrameTraceEvent {
    bool Outgoing; // true for a request, false for a reply
    uint8_t Command; // the command byte the frame belongs to
    uint32_t Length; // payload bytes (for a reply: bytes received, CRC included)
    bool CrcOk; // requests always true; replies: complete with a right CRC
};

// Receives every frame sent and every reply read; used for a frame trace.
using TFrameTraceHook = std::function<void(const TFrameTraceEvent &)>;

class TCPPCommand {
public:
    // The most payload bytes a request carries.
    static constexpr uint16_t kMaxRequestPayload = 50;
    // The payload capacity every command but the data-segment read starts with.
    static constexpr uint32_t kDefaultPayloadCapacity = 100;

    explicit TCPPCommand(TCommPortDriver *Driver);
    virtual ~TCPPCommand() = default;
    TCPPCommand(const TCPPCommand &) = delete;
    TCPPCommand &operator=(const TCPPCommand &) = delete;

    // Performs the command; the base does nothing and fails.
    virtual bool Execute();

    // Resizes the frame buffer to Capacity + 4 bytes; new bytes are 0, the others are kept.
    void SetPayloadCapacity(uint32_t Capacity);
    // Payload byte Index, or 0 outside the payload.
    uint8_t GetPayload(int32_t Index) const;
    // Sets payload byte Index; an index outside the payload is ignored.
    void SetPayload(int32_t Index, uint8_t Value);
    // Sends payload 0..RequestLength-1 as one frame and reads ReplyLength payload bytes back;
    // true only when the whole reply came with a right CRC and nothing after it.
    bool Exchange(uint8_t Command, uint16_t RequestLength, uint16_t ReplyLength);
    // Exchange with the lengths a command declares.
    bool Exchange(const TCommandLayout &Spec);

    // Whether another request of this command follows this one's reply at once (a stream of
    // chunks). The reply then does not wait for a quiet line: the next exchange fails, sending
    // nothing, when bytes are waiting before its request; bytes that come later spoil its reply.
    void SetNextRequestFollows(bool Follows) { FNextRequestFollows = Follows; }
    // Work to do once a request is on the line, while its reply is on its way (empty: none);
    // polling leaves the input alone meanwhile.
    void SetRequestSentHook(std::function<void()> Hook) { FRequestSentHook = std::move(Hook); }
    // Forgets a quiet check left to the next exchange (a stream that ended early).
    void DropPendingQuietCheck() { FPendingQuietCheck = false; }

    // Why the last exchange failed (kind, command, bytes expected and received); none after success.
    const TFailure &LastFailure() const { return FFailure; }
    // Installs a hook that sees every frame (empty to remove).
    void SetTrace(TFrameTraceHook Trace) { FTrace = std::move(Trace); }

protected:
    // For a command that keeps an empty buffer until it knows its reply length.
    TCPPCommand(TCommPortDriver *Driver, uint32_t InitialCapacity);
    // The frame buffer: payload byte i at offset i + 2.
    const std::vector<uint8_t> &Buffer() const { return FBuffer; }

private:
    bool Fail(TFailureKind Kind, std::string Detail);
    bool Fail(TFailure Failure);
    TFailure SendFailure(uint8_t Command) const;
    TFailure ReplyFailure(uint8_t Command, uint32_t Expected, uint32_t Got) const;
    TFailure TrailingFailure(uint8_t Command, uint32_t Expected, uint32_t Trailing,
                             bool PreviousReply = false) const;
    uint32_t PayloadCapacity() const;

    TCommPortDriver *FDriver;
    std::vector<uint8_t> FBuffer;
    TFailure FFailure;
    TFrameTraceHook FTrace;
    std::function<void()> FRequestSentHook;
    bool FNextRequestFollows = false;
    // Set after a reply whose quiet check was left to the next exchange.
    bool FPendingQuietCheck = false;
};

// The display name of a command byte: its letter when printable ("W"), else its number.
std::string CommandName(uint8_t Command);

} // namespace morlith
