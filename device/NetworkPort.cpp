// SPDX-License-Identifier: MIT
#include "NetworkPort.h"

#include <algorithm>
#include <cstring>

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
    FInput.clear();
    FOutput.clear();
    FLastFailure = TFailure{};
    std::string error;
    const auto address = ParsePortAddress(name, &error);
    if (!address)
        return FailOpening(MakeFailure(TFailureKind::fkNotFound, error));
    FAddress = *address;
    FDevice = FAddress.Text();
    if (!FSocket.Connect(FAddress.Host, FAddress.Port, kConnectTimeoutMs, FStopFlag, FStopCheckMs))
        return FailOpening(FSocket.LastFailure());
    return Negotiate();
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
    uint8_t chunk[kReceiveChunk];
    for (;;) {
        const long n = FSocket.Receive(chunk, sizeof chunk);
        if (n > 0) {
            TakeReceived(chunk, size_t(n));
            if (size_t(n) < sizeof chunk)
                return true;
            continue;
        }
        if (n == 0)
            return true;
        NoteSocketFailure();
        return false;
    }
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
    // Nothing more is taken while earlier bytes still wait: the room is the connection's.
    if (!Flush())
        return -1;
    if (!FOutput.empty() || !MaySend())
        return 0;
    QueueData(data, size);
    return Flush() ? long(size) : -1;
}

WaitResult TNetworkPort::PumpSlice(uint32_t timeoutMs)
{
    const WaitResult result = FSocket.Wait(true, timeoutMs);
    if (result == WaitResult::Ready && !Pump())
        return WaitResult::HangUp;
    if (result == WaitResult::HangUp)
        NoteSocketFailure();
    return result;
}

WaitResult TNetworkPort::WaitReadable(uint32_t timeoutMs)
{
    if (!FInput.empty())
        return WaitResult::Ready;
    const uint32_t start = TickCountMs();
    for (;;) {
        // Protocol bytes alone wake the wait without giving anything to read: wait on.
        const uint32_t elapsed = MsSince(start);
        if (elapsed >= timeoutMs && timeoutMs > 0)
            return WaitResult::TimedOut;
        const WaitResult result = PumpSlice(timeoutMs - std::min(elapsed, timeoutMs));
        if (!FInput.empty())
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
    if (!MaySend()) {
        // Held back by the server: wait for its word to go on (or for a hang-up).
        const WaitResult result = PumpSlice(timeoutMs);
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
