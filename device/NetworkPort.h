// SPDX-License-Identifier: MIT
#pragma once
// TNetworkPort: a serial line behind a device server, reached over TCP as "socket://HOST:PORT".
// The bytes on the connection are the line's, as they are; the server owns the line settings,
// so Configure changes nothing and there are no modem signals. TRfc2217Port builds on it.

#include "MonotonicClock.h"
#include "PortAddress.h"
#include "SerialLine.h"
#include "TcpSocket.h"

#include <algorithm>
#include <atomic>
#include <vector>

namespace morlith {

class TNetworkPort : public ISerialLine {
public:
    // Waits (the connect too) end within `stopCheckMs` of *stopFlag becoming true (null: never).
    TNetworkPort(const std::atomic<bool> *stopFlag, uint32_t stopCheckMs);
    ~TNetworkPort() override;

    // The longest a connect may take.
    static constexpr uint32_t kConnectTimeoutMs = 3000;

    bool Open(const std::string &name) override;
    void Close() override;
    bool IsOpen() const override { return FSocket.IsOpen(); }
    bool Configure(const LineSettings &settings) override;
    bool Purge(bool input, bool output) override;
    long InputCount() override;
    long OutputCount() override;
    bool ModemSignals(unsigned &bits) override;
    long Read(uint8_t *data, size_t size) override;
    long Write(const uint8_t *data, size_t size) override;
    WaitResult WaitReadable(uint32_t timeoutMs) override;
    WaitResult WaitWritable(uint32_t timeoutMs) override;
    bool HungUp() const override { return FSocket.HungUp(); }
    const std::string &Device() const override { return FDevice; }
    const TFailure &LastFailure() const override { return FLastFailure; }

protected:
    // After the connect: whatever the protocol agrees on first. False with LastFailure() set.
    virtual bool Negotiate() { return true; }
    // Received bytes: line data goes to FInput.
    virtual void TakeReceived(const uint8_t *bytes, size_t size);
    // Line data to send, in the connection's encoding, appended to FOutput.
    virtual void QueueData(const uint8_t *data, size_t size);
    // While false, line data is held back (the server asked for a pause).
    virtual bool MaySend() const { return true; }

    // Queues protocol bytes and sends what the connection takes; false once it failed.
    bool SendControl(const std::vector<uint8_t> &bytes);
    // Receives and takes in everything the connection holds now; false once it failed.
    bool Pump();
    // Waits for input and takes it in until `done` holds, at most `timeoutMs`, waking for stop
    // requests. Ready when done, TimedOut, or HangUp (LastFailure() set, stopped included).
    template <class TDone> WaitResult PumpUntil(TDone done, uint32_t timeoutMs);
    // Records a failure with the step "opening <address>".
    bool FailOpening(TFailure failure);
    bool StopRequested() const { return FStopFlag != nullptr && FStopFlag->load(); }

    TPortAddress FAddress;
    std::vector<uint8_t> FInput; // line data received, not yet read
    std::vector<uint8_t> FOutput; // encoded bytes not yet taken by the connection
    TFailure FLastFailure;

private:
    bool Flush();
    void NoteSocketFailure();
    WaitResult PumpSlice(uint32_t timeoutMs);

    TTcpSocket FSocket;
    std::string FDevice;
    const std::atomic<bool> *FStopFlag;
    uint32_t FStopCheckMs;
};

template <class TDone> WaitResult TNetworkPort::PumpUntil(TDone done, uint32_t timeoutMs)
{
    const uint32_t start = TickCountMs();
    for (;;) {
        if (done())
            return WaitResult::Ready;
        if (StopRequested()) {
            FLastFailure = MakeFailure(TFailureKind::fkStopped, "stopped on request");
            FLastFailure.Device = FDevice;
            return WaitResult::HangUp;
        }
        const uint32_t elapsed = MsSince(start);
        if (elapsed >= timeoutMs)
            return WaitResult::TimedOut;
        const uint32_t slice = FStopFlag != nullptr ? std::min(timeoutMs - elapsed, FStopCheckMs) : timeoutMs - elapsed;
        const WaitResult result = PumpSlice(slice);
        if (result == WaitResult::HangUp)
            return result;
    }
}

} // namespace morlith
