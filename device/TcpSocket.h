// SPDX-License-Identifier: MIT
#pragma once
// One TCP connection, non-blocking, for a serial line behind a device server. Connecting and
// waiting use poll (WSAPoll on Windows) and end soon after a stop request; no call spins.
// The OS's socket calls are in TcpSocketCalls.h.

#include "Failure.h"
#include "SerialLine.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>

namespace morlith {

class TTcpSocket {
public:
    TTcpSocket() = default;
    ~TTcpSocket();
    TTcpSocket(const TTcpSocket &) = delete;
    TTcpSocket &operator=(const TTcpSocket &) = delete;

    // Looks host up and connects to host:port, both within `timeoutMs`; checks *stopFlag (if
    // given) every `stopCheckMs`. False with LastFailure() set: not_found when nothing listens
    // there or the host is unknown or unreachable, no_reply when the look-up or the connect timed
    // out, stopped on request.
    bool Connect(const std::string &host, uint16_t port, uint32_t timeoutMs, const std::atomic<bool> *stopFlag,
                 uint32_t stopCheckMs);
    // Closes the connection; nothing when closed.
    void Close();
    bool IsOpen() const { return FHandle != -1; }

    // Sends what the socket takes now: the count, 0 when it takes nothing, -1 on failure or when
    // the peer is gone (then HungUp()).
    long Send(const uint8_t *data, size_t size);
    // Receives what is there: the count, 0 when nothing waits, -1 on failure or when the peer
    // closed or reset the connection (then HungUp()).
    long Receive(uint8_t *data, size_t size);
    // Waits up to `timeoutMs` for input (or room to send). HangUp when the connection failed.
    WaitResult Wait(bool forInput, uint32_t timeoutMs);
    // True once the peer closed or reset the connection.
    bool HungUp() const { return FHungUp; }
    // Why the last failed operation failed.
    const TFailure &LastFailure() const { return FLastFailure; }

private:
    bool Fail(TFailureKind kind, int osError, const std::string &detail);
    void NoteHangUp(int osError);
    bool TransferFailed(int osError, const char *what);

    // The socket (a descriptor or a SOCKET); -1 when closed.
    intptr_t FHandle = -1;
    bool FHungUp = false;
    std::string FPeer; // HOST:PORT, for messages
    TFailure FLastFailure;
};

} // namespace morlith
