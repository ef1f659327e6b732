// SPDX-License-Identifier: MIT
#include "TcpSocket.h"

#include "HostLookup.h"
#include "MonotonicClock.h"
#include "TcpSocketCalls.h"

#include <algorithm>

namespace morlith {
namespace {

using namespace tcp;

// The kind a failed connect stands for: nobody there is not_found, silence is no_reply.
TFailureKind ConnectFailureKind(TErrorClass error)
{
    switch (error) {
    case TErrorClass::Refused:
    case TErrorClass::Unreachable:
        return TFailureKind::fkNotFound;
    case TErrorClass::TimedOut:
        return TFailureKind::fkNoReply;
    case TErrorClass::Permission:
        return TFailureKind::fkPermission;
    default:
        return TFailureKind::fkOs;
    }
}

// AwaitConnect: the connect was given up on request.
constexpr int kStopped = -1;

// Waits until a background connect ends: 0 when connected, its error, TimedOutError(), or
// kStopped.
int AwaitConnect(intptr_t handle, uint32_t timeoutMs, const std::atomic<bool> *stopFlag, uint32_t stopCheckMs)
{
    const uint32_t start = TickCountMs();
    for (;;) {
        if (stopFlag != nullptr && stopFlag->load())
            return kStopped;
        const uint32_t elapsed = MsSince(start);
        if (elapsed >= timeoutMs)
            return TimedOutError();
        const uint32_t slice = stopFlag != nullptr ? std::min(timeoutMs - elapsed, stopCheckMs) : timeoutMs - elapsed;
        int error = 0;
        const int rc = PollOne(handle, false, slice, error);
        if (rc < 0)
            return error;
        if (rc > 0)
            return ConnectError(handle);
    }
}

} // namespace

TTcpSocket::~TTcpSocket() { Close(); }

bool TTcpSocket::Fail(TFailureKind kind, int osError, const std::string &detail)
{
    FLastFailure = MakeFailure(kind, detail);
    FLastFailure.OsError = osError;
    FLastFailure.OsText = osError != 0 ? ErrorText(osError) : "";
    return false;
}

void TTcpSocket::NoteHangUp(int osError)
{
    FHungUp = true;
    Fail(TFailureKind::fkHangUp, osError,
         osError == 0 ? FPeer + " closed the connection" : FPeer + " dropped the connection");
}

bool TTcpSocket::Connect(const std::string &host, uint16_t port, uint32_t timeoutMs,
                         const std::atomic<bool> *stopFlag, uint32_t stopCheckMs)
{
    Close();
    FHungUp = false;
    FLastFailure = TFailure{};
    FPeer = (host.find(':') != std::string::npos ? "[" + host + "]" : host) + ":" + std::to_string(port);
    if (!StartNetworking())
        return Fail(TFailureKind::fkOs, 0, "cannot start the network layer");
    // The look-up and every address tried share the one time limit.
    const uint32_t start = TickCountMs();
    const auto remaining = [&] { return timeoutMs - std::min(MsSince(start), timeoutMs); };
    THostLookup lookup(host, port);
    switch (lookup.Wait(timeoutMs, stopFlag, stopCheckMs)) {
    case THostLookup::TOutcome::Found:
        break;
    case THostLookup::TOutcome::NotFound:
        return Fail(TFailureKind::fkNotFound, 0, "cannot find the host " + host + ": " + lookup.Error());
    case THostLookup::TOutcome::TimedOut:
        return Fail(TFailureKind::fkNoReply, 0,
                    "no answer from the name service for " + host + " within " + std::to_string(timeoutMs) + " ms");
    case THostLookup::TOutcome::Stopped:
        return Fail(TFailureKind::fkStopped, 0, "stopped on request while looking up " + host);
    }
    int lastError = TimedOutError();
    for (const addrinfo *candidate = lookup.Addresses(); candidate != nullptr && remaining() > 0;
         candidate = NextOf(candidate)) {
        int error = 0;
        const intptr_t handle = OpenConnecting(*candidate, error);
        if (error == kConnectPending)
            error = AwaitConnect(handle, remaining(), stopFlag, stopCheckMs);
        if (error == 0) {
            SetNoDelay(handle);
            FHandle = handle;
            return true;
        }
        if (handle != kNoHandle)
            CloseSocket(handle);
        if (error == kStopped)
            return Fail(TFailureKind::fkStopped, 0, "stopped on request while connecting to " + FPeer);
        lastError = error;
    }
    const TErrorClass error = Classify(lastError);
    if (error == TErrorClass::TimedOut)
        return Fail(TFailureKind::fkNoReply, lastError,
                    "no answer from " + FPeer + " within " + std::to_string(timeoutMs) + " ms");
    const std::string reason =
        error == TErrorClass::Refused ? "connection refused (nothing listens there)" : ErrorText(lastError);
    return Fail(ConnectFailureKind(error), lastError, "cannot connect to " + FPeer + ": " + reason);
}

void TTcpSocket::Close()
{
    if (!IsOpen())
        return;
    CloseSocket(FHandle);
    FHandle = kNoHandle;
}

bool TTcpSocket::TransferFailed(int error, const char *what)
{
    if (Classify(error) == TErrorClass::HangUp)
        NoteHangUp(error);
    else
        Fail(TFailureKind::fkOs, error, std::string("cannot ") + what + " " + FPeer + ": " + ErrorText(error));
    return false;
}

long TTcpSocket::Send(const uint8_t *data, size_t size)
{
    if (!IsOpen() || FHungUp)
        return -1;
    int error = 0;
    const long n = SendSome(FHandle, data, size, error);
    if (n < 0)
        TransferFailed(error, "send to");
    return n;
}

long TTcpSocket::Receive(uint8_t *data, size_t size)
{
    if (!IsOpen() || FHungUp)
        return -1;
    int error = 0;
    const long n = ReceiveSome(FHandle, data, size, error);
    if (n > 0)
        return n;
    if (n == kWouldBlock)
        return 0;
    if (n == 0)
        NoteHangUp(0);
    else
        TransferFailed(error, "receive from");
    return -1;
}

WaitResult TTcpSocket::Wait(bool forInput, uint32_t timeoutMs)
{
    if (!IsOpen() || FHungUp)
        return WaitResult::HangUp;
    int error = 0;
    const int rc = PollOne(FHandle, forInput, timeoutMs, error);
    if (rc == 0)
        return WaitResult::TimedOut;
    if (rc < 0) {
        Fail(TFailureKind::fkOs, error, "cannot wait for " + FPeer + ": " + ErrorText(error));
        return WaitResult::HangUp;
    }
    // A closed or reset connection shows as ready: the next receive or send reports it.
    return WaitResult::Ready;
}

} // namespace morlith
