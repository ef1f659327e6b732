// SPDX-License-Identifier: MIT
#pragma once
// TNetworkPort: a serial line behind a device server, reached over TCP as "socket://HOST:PORT".
// The bytes on the connection are the line's, as they are; the server owns the line settings,
// so Configure changes nothing and there are no modem signals. TRfc2217Port builds on it.
//
// Nothing the peer sends can stretch a limit or fill the memory: the opening (look-up, connect,
// negotiation) has one time limit, each receive takes one bounded chunk so every wait looks at
// its clock, and at most kMaxHeldInput bytes of line data are held for the reader; the rest
// waits in the connection, and a peer that sends more while a reply is awaited is refused.

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

    // The longest an opening may take: look-up, connect and negotiation together.
    static constexpr uint32_t kOpeningTimeoutMs = 3000;
    // The most line data held for the reader: a reply is a few hundred bytes at most, and a long
    // one is read as it comes.
    static constexpr size_t kMaxHeldInput = 4096;
    // The pause before connecting again to a server that closed a new connection at once.
    static constexpr uint32_t kReconnectPauseMs = 100;

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
    TFailure OutputHeld() const override;

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
    // Connects and negotiates within what is left of the opening's time limit; a server that
    // closes the connection before any line data went out is tried again. False: LastFailure().
    bool Establish();
    // After a failed negotiation or confirmation: true when the connection was closed by the
    // server before any line data went out, and the opening's time limit leaves room to retry.
    bool MayConnectAgain() const;
    // What is left of the opening's time limit, in ms.
    uint32_t OpeningMsLeft() const;
    // Ends every later receive, read and write with `failure` (the peer broke a limit).
    void Refuse(TFailure failure);
    bool Refused() const { return FRefusal.Failed(); }
    bool LineDataSent() const { return FLineDataSent; }

    TPortAddress FAddress;
    std::vector<uint8_t> FInput; // line data received, not yet read (at most kMaxHeldInput)
    std::vector<uint8_t> FOutput; // encoded bytes not yet taken by the connection
    TFailure FLastFailure;

private:
    bool Flush();
    void NoteSocketFailure();
    WaitResult PumpSlice(uint32_t timeoutMs);

    TTcpSocket FSocket;
    std::string FDevice;
    uint32_t FOpeningStart = 0;
    bool FLineDataSent = false; // since the opening: nothing has reached the module before
    TFailure FRefusal;
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
        if (Refused()) {
            FLastFailure = FRefusal;
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
