// SPDX-License-Identifier: MIT
#include "NetworkPort.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>

namespace morlith {
namespace {

// Bytes taken from the connection per receive call.
constexpr size_t kReceiveChunk = 4096;

} // namespace

TNetworkPort::TNetworkPort(const std::atomic<bool> *stopFlag, uint32_t stopCheckMs)
    : FStopFlag(stopFlag), FStopCheckMs(stopCheckMs)
{
}

TNetworkPort::~TNetworkPort() { Close(); }

void TNetworkPort::Refuse(TFailure failure)
{
    if (!Refused()) {
        FRefusal = std::move(failure);
        FRefusal.Device = FDevice;
    }
    FLastFailure = FRefusal;
}

TFailure TNetworkPort::OutputHeld() const
{
    if (MaySend())
        return {};
    TFailure failure = MakeFailure(TFailureKind::fkNoReply,
                                   FAddress.HostAndPort() + ": the server holds the line: it asked for a pause "
                                                            "(FLOWCONTROL-SUSPEND) and did not resume");
    failure.Device = FDevice;
    return failure;
}

bool TNetworkPort::FailOpening(TFailure failure)
{
    FLastFailure = std::move(failure);
    FLastFailure.Device = FDevice;
    FLastFailure.During("opening " + FDevice);
    FSocket.Close();
    return false;
}

bool TNetworkPort::Open(const std::string &name)
{
    Close();
    FDevice = name;
    FLastFailure = TFailure{};
    FRefusal = TFailure{};
    FLineDataSent = false;
    FOpeningStart = TickCountMs();
    std::string error;
    const auto address = ParsePortAddress(name, &error);
    if (!address)
        return FailOpening(MakeFailure(TFailureKind::fkNotFound, error));
    FAddress = *address;
    FDevice = FAddress.Text();
    return Establish();
}

uint32_t TNetworkPort::OpeningMsLeft() const
{
    return kOpeningTimeoutMs - std::min(MsSince(FOpeningStart), kOpeningTimeoutMs);
}

bool TNetworkPort::MayConnectAgain() const
{
    return FLastFailure.Kind == TFailureKind::fkHangUp && !FLineDataSent && !Refused() &&
           OpeningMsLeft() > kReconnectPauseMs;
}

bool TNetworkPort::Establish()
{
    for (int attempt = 1;; ++attempt) {
        FInput.clear();
        FOutput.clear();
        if (!FSocket.Connect(FAddress.Host, FAddress.Port, OpeningMsLeft(), FStopFlag, FStopCheckMs))
            return FailOpening(FSocket.LastFailure());
        if (Negotiate())
            return true;
        // A device server may drop a new connection while the last one on its line still closes
        // (back-to-back runs): nothing reached the module, so ask again.
        if (!MayConnectAgain()) {
            if (attempt > 1 && FLastFailure.Kind == TFailureKind::fkHangUp)
                FLastFailure.Detail += " (" + std::to_string(attempt) + " connections within " +
                                       std::to_string(kOpeningTimeoutMs) + " ms)";
            return FailOpening(FLastFailure);
        }
        FSocket.Close();
        const uint32_t start = TickCountMs();
        while (MsSince(start) < kReconnectPauseMs) {
            if (StopRequested())
                return FailOpening(MakeFailure(TFailureKind::fkStopped, "stopped on request"));
            std::this_thread::sleep_for(std::chrono::milliseconds(
                std::min(kReconnectPauseMs - std::min(MsSince(start), kReconnectPauseMs), FStopCheckMs)));
        }
    }
}

void TNetworkPort::Close()
{
    FSocket.Close();
    FOutput.clear();
}

bool TNetworkPort::Configure(const LineSettings &) { return IsOpen(); }

bool TNetworkPort::Purge(bool input, bool)
{
    if (!IsOpen())
        return false;
    // Output already handed over cannot be called back; what waits here is protocol as well.
    if (input) {
        (void)Pump();
        FInput.clear();
    }
    return true;
}

long TNetworkPort::InputCount()
{
    if (!IsOpen())
        return -1;
    (void)Pump();
    return long(FInput.size());
}

long TNetworkPort::OutputCount()
{
    if (!IsOpen())
        return -1;
    (void)Flush();
    return long(FOutput.size());
}

bool TNetworkPort::ModemSignals(unsigned &bits)
{
    bits = 0;
    return false;
}

void TNetworkPort::NoteSocketFailure()
{
    FLastFailure = FSocket.LastFailure();
    FLastFailure.Device = FDevice;
}

bool TNetworkPort::Pump()
{
    if (Refused()) {
        FLastFailure = FRefusal;
        return false;
    }
    // One bounded receive, and no more than the held input has room for: a peer that keeps
    // sending cannot keep a caller from its clock, and what does not fit waits in the connection.
    const size_t room = kMaxHeldInput - std::min(FInput.size(), kMaxHeldInput);
    if (room == 0)
        return true;
    uint8_t chunk[kReceiveChunk];
    const long n = FSocket.Receive(chunk, std::min(room, sizeof chunk));
    if (n > 0)
        TakeReceived(chunk, size_t(n));
    if (Refused()) {
        FLastFailure = FRefusal;
        return false;
    }
    if (n >= 0)
        return true;
    NoteSocketFailure();
    return false;
}

bool TNetworkPort::Flush()
{
    while (!FOutput.empty()) {
        const long n = FSocket.Send(FOutput.data(), FOutput.size());
        if (n < 0) {
            NoteSocketFailure();
            return false;
        }
        if (n == 0)
            return true;
        FOutput.erase(FOutput.begin(), FOutput.begin() + n);
    }
    return true;
}

bool TNetworkPort::SendControl(const std::vector<uint8_t> &bytes)
{
    FOutput.insert(FOutput.end(), bytes.begin(), bytes.end());
    return Flush();
}

void TNetworkPort::TakeReceived(const uint8_t *bytes, size_t size) { FInput.insert(FInput.end(), bytes, bytes + size); }

void TNetworkPort::QueueData(const uint8_t *data, size_t size) { FOutput.insert(FOutput.end(), data, data + size); }

long TNetworkPort::Read(uint8_t *data, size_t size)
{
    if (!IsOpen())
        return -1;
    if (Refused()) {
        FLastFailure = FRefusal;
        return -1;
    }
    if (FInput.empty() && !Pump() && FInput.empty())
        return -1;
    const size_t n = std::min(size, FInput.size());
    if (n > 0) {
        std::memcpy(data, FInput.data(), n);
        FInput.erase(FInput.begin(), FInput.begin() + long(n));
    }
    return long(n);
}

long TNetworkPort::Write(const uint8_t *data, size_t size)
{
    if (!IsOpen() || FSocket.HungUp()) {
        NoteSocketFailure();
        return -1;
    }
    if (Refused()) {
        FLastFailure = FRefusal;
        return -1;
    }
    // Nothing more is taken while earlier bytes still wait: the room is the connection's.
    if (!Flush())
        return -1;
    if (!FOutput.empty() || !MaySend())
        return 0;
    QueueData(data, size);
    FLineDataSent = true;
    return Flush() ? long(size) : -1;
}

WaitResult TNetworkPort::PumpSlice(uint32_t timeoutMs)
{
    // Called only while the reader is not reading: held input that is full now came unasked.
    if (FInput.size() >= kMaxHeldInput) {
        Refuse(MakeFailure(TFailureKind::fkBadReply,
                           FAddress.HostAndPort() + " sent " + std::to_string(FInput.size()) +
                               " bytes of line data and more that nothing asked for (at most " +
                               std::to_string(kMaxHeldInput) + " are held for a reply)"));
        return WaitResult::HangUp;
    }
    const WaitResult result = FSocket.Wait(true, timeoutMs);
    if (result == WaitResult::Ready && !Pump())
        return WaitResult::HangUp;
    if (result == WaitResult::HangUp)
        NoteSocketFailure();
    return result;
}

WaitResult TNetworkPort::WaitReadable(uint32_t timeoutMs)
{
    // A refused line is ready: the read that follows reports why.
    if (!FInput.empty() || Refused())
        return WaitResult::Ready;
    const uint32_t start = TickCountMs();
    for (;;) {
        // Protocol bytes alone wake the wait without giving anything to read: wait on.
        const uint32_t elapsed = MsSince(start);
        if (elapsed >= timeoutMs && timeoutMs > 0)
            return WaitResult::TimedOut;
        const WaitResult result = PumpSlice(timeoutMs - std::min(elapsed, timeoutMs));
        if (!FInput.empty() || Refused())
            return WaitResult::Ready;
        if (result != WaitResult::Ready)
            return result;
        if (timeoutMs == 0)
            return WaitResult::TimedOut;
    }
}

WaitResult TNetworkPort::WaitWritable(uint32_t timeoutMs)
{
    if (!IsOpen() || FSocket.HungUp()) {
        NoteSocketFailure();
        return WaitResult::HangUp;
    }
    if (Refused())
        return WaitResult::Ready;
    if (!MaySend()) {
        // Held back by the server: wait for its word to go on (or for a hang-up).
        const WaitResult result = PumpSlice(timeoutMs);
        if (Refused())
            return WaitResult::Ready;
        return result == WaitResult::HangUp ? result : (MaySend() ? WaitResult::Ready : WaitResult::TimedOut);
    }
    if (FOutput.empty())
        return WaitResult::Ready;
    const WaitResult result = FSocket.Wait(false, timeoutMs);
    if (result == WaitResult::Ready && !Flush())
        return WaitResult::HangUp;
    if (result == WaitResult::HangUp)
        NoteSocketFailure();
    return result;
}

} // namespace morlith
