// SPDX-License-Identifier: MIT
#pragma once
// TCommPortDriver: owns one serial port. It opens the port by name, writes the line settings,
// sends bytes with a time limit, reads a requested number of bytes with an inactivity limit and,
// while the port is open, polls the input queue on a timer and hands input that nobody is
// reading to event handlers, as it comes or cut into fixed-size packets.

#include "PollTimer.h"
#include "SerialLine.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace morlith {

// Port chosen by number; pnCustom: the port is given by PortName alone.
enum TPortNumber : uint8_t {
    pnCustom, pnCOM1, pnCOM2, pnCOM3, pnCOM4, pnCOM5, pnCOM6, pnCOM7, pnCOM8,
    pnCOM9, pnCOM10, pnCOM11, pnCOM12, pnCOM13, pnCOM14, pnCOM15, pnCOM16
};
// Rate chosen from the table; brCustom: the rate is given by BaudRateValue alone.
enum TBaudRate : uint8_t {
    brCustom, br110, br300, br600, br1200, br2400, br4800, br9600, br14400, br19200,
    br38400, br56000, br57600, br115200, br128000, br256000
};
// Character size = ordinal + 5.
enum TDataBits : uint8_t { db5BITS, db6BITS, db7BITS, db8BITS };
enum TStopBits : uint8_t { sb1BITS, sb1HALFBITS, sb2BITS };
enum TParity : uint8_t { ptNONE, ptODD, ptEVEN, ptMARK, ptSPACE };
enum THwFlowControl : uint8_t { hfNONE, hfNONERTSON, hfRTSCTS };
enum TSwFlowControl : uint8_t { sfNONE, sfXONXOFF };
// What a flushed partial packet does.
enum TPacketMode : uint8_t { pmDiscard, pmPass };

// Modem input signals.
enum TModemSignal : uint8_t { msCTS = 1, msDSR = 2, msRING = 4, msDCD = 8 };
// A set of TModemSignal bits.
using TModemSignals = uint8_t;

class TCommPortDriver;
// Polled input, packet mode off; the bytes are valid only during the call.
using TReceiveDataEvent =
    std::function<void(TCommPortDriver *Sender, const uint8_t *DataPtr, uint32_t DataSize)>;
// Polled input, packet mode on; the bytes are valid only during the call.
using TReceivePacketEvent =
    std::function<void(TCommPortDriver *Sender, const uint8_t *Packet, uint32_t DataSize)>;

// The rate of a table entry in bit/s; 0 for brCustom or an unknown value.
uint32_t BaudRateOf(TBaudRate rate);

class TCommPortDriver {
public:
    TCommPortDriver();
    ~TCommPortDriver();
    TCommPortDriver(const TCommPortDriver &) = delete;
    TCommPortDriver &operator=(const TCommPortDriver &) = delete;

    // Opens PortName and applies the line settings; true at once when already open.
    bool Connect();
    // Stops polling and closes the port; nothing when closed.
    void Disconnect();
    // True while the port is open.
    bool Connected() const { return FHandle && FHandle->IsOpen(); }
    // Writes the line settings, purges both queues and sets the queue sizes.
    bool ApplyLineSettings();
    // Discards pending input and/or output.
    bool PurgeQueues(bool Input, bool Output);
    // Bytes in the input queue; 65535 when closed.
    uint32_t InQueueCount();
    // OutBufSize minus the bytes in the output queue; 65535 when closed.
    uint16_t OutQueueRoom();
    // Modem input signals that are on; empty when closed or unsupported.
    TModemSignals GetModemSignals();

    // Sends with an inactivity limit of `Timeout` ms; returns the number of bytes sent.
    uint32_t PutBytesTimed(const uint8_t *DataPtr, uint32_t DataSize, uint32_t Timeout);
    // Sends with OutputTimeout.
    uint32_t PutBytes(const uint8_t *DataPtr, uint32_t DataSize);
    // Sends one byte; true when it went out.
    bool PutByte(uint8_t Value);
    // Reads up to Count bytes, waiting at most InputTimeout ms after the last byte found.
    uint32_t GetBytes(uint8_t *DataPtr, uint32_t Count);

    // Reads and drops input until the line has been quiet for QuietMs, at most for MaxMs;
    // returns the number of bytes dropped.
    uint32_t DiscardUntilQuiet(uint32_t QuietMs, uint32_t MaxMs);

    // One tick of the polling timer: hands waiting input to the events (or drops it).
    void PollTick();

    // Why the last open, configuration or transfer failed: a failure of the port (not_found,
    // permission, busy, hangup, os) or a stop request (stopped). A read that merely timed out is
    // no failure here; the caller knows what it expected.
    const TFailure &LastFailure() const { return FLastFailure; }
    // True once the device went away; the port stays open until Disconnect.
    bool HungUp() const { return FHandle && FHandle->HungUp(); }
    // Looks, without waiting, whether the device is still there; false (LastFailure a hang-up)
    // once it went away, or when the port is closed. Sends nothing; input queued is left alone.
    bool LineUp();
    // Line errors (framing, parity, overrun) the port reported since it was opened.
    unsigned LineErrors() const { return FHandle ? FHandle->LineErrors() : 0; }
    // Makes reads and writes end within kStopCheckMs once *Flag becomes true (null: never). The
    // flag is only read, from this thread, so a signal handler may set it.
    void SetStopFlag(const std::atomic<bool> *Flag) { FStopFlag = Flag; }
    // The longest a transfer goes on after the stop flag was raised.
    static constexpr uint32_t kStopCheckMs = 50;
    // The device path (or network address) PortName resolves to through the port map.
    std::string DevicePath() const;
    // The device the last Connect opened, its links resolved as they were then (a port-map entry
    // or by-id link that goes away later still names it); empty when that Connect opened nothing.
    const std::string &OpenedDevice() const { return FOpenedDevice; }

    TPortNumber Port() const { return FPort; }
    void SetPort(TPortNumber Value);
    const std::string &PortName() const { return FPortName; }
    void SetPortName(const std::string &Value);
    TBaudRate BaudRate() const { return FBaudRate; }
    void SetBaudRate(TBaudRate Value);
    uint32_t BaudRateValue() const { return FBaudRateValue; }
    void SetBaudRateValue(uint32_t Value);
    TDataBits DataBits() const { return FDataBits; }
    void SetDataBits(TDataBits Value) { SetLineSetting(FDataBits, Value); }
    TStopBits StopBits() const { return FStopBits; }
    void SetStopBits(TStopBits Value) { SetLineSetting(FStopBits, Value); }
    TParity Parity() const { return FParity; }
    void SetParity(TParity Value) { SetLineSetting(FParity, Value); }
    THwFlowControl HwFlow() const { return FHwFlow; }
    void SetHwFlow(THwFlowControl Value) { SetLineSetting(FHwFlow, Value); }
    TSwFlowControl SwFlow() const { return FSwFlow; }
    void SetSwFlow(TSwFlowControl Value) { SetLineSetting(FSwFlow, Value); }
    uint32_t InBufSize() const { return FInBufSize; }
    void SetInBufSize(uint32_t Value);
    uint32_t OutBufSize() const { return FOutBufSize; }
    void SetOutBufSize(uint32_t Value);
    int16_t PacketSize() const { return FPacketSize; }
    void SetPacketSize(int16_t Value);
    int32_t PacketTimeout() const { return FPacketTimeout; }
    void SetPacketTimeout(int32_t Value);
    TPacketMode PacketMode() const { return FPacketMode; }
    void SetPacketMode(TPacketMode Value) { FPacketMode = Value; }
    uint16_t PollingDelay() const { return FPollingDelay; }
    void SetPollingDelay(uint16_t Value);
    bool EnableDTROnOpen() const { return FEnableDTROnOpen; }
    void SetEnableDTROnOpen(bool Value) { FEnableDTROnOpen = Value; }
    uint16_t OutputTimeout() const { return FOutputTimeout; }
    void SetOutputTimeout(uint16_t Value) { FOutputTimeout = Value; }
    uint32_t InputTimeout() const { return FInputTimeout; }
    void SetInputTimeout(uint32_t Value) { FInputTimeout = Value; }
    bool CheckLineStatus() const { return FCheckLineStatus; }
    void SetCheckLineStatus(bool Value) { FCheckLineStatus = Value; }
    TReceiveDataEvent OnReceiveData;
    TReceivePacketEvent OnReceivePacket;

    // While one lives, polling leaves the input alone: a reply is on its way to a reader.
    class TInputHold {
    public:
        explicit TInputHold(TCommPortDriver &Driver) : FDriver(Driver) { ++FDriver.FReadNesting; }
        ~TInputHold() { --FDriver.FReadNesting; }
        TInputHold(const TInputHold &) = delete;
        TInputHold &operator=(const TInputHold &) = delete;

    private:
        TCommPortDriver &FDriver;
    };

private:
    // Stores a changed line setting and applies it at once while open.
    template <class T>
    void SetLineSetting(T &Field, T Value)
    {
        if (Field == Value)
            return;
        Field = Value;
        ApplyLineSettingsIfOpen();
    }
    void ApplyLineSettingsIfOpen();
    void StartPolling();
    void StopPolling();
    void PollUnpacketed(uint32_t waiting);
    void PollPackets(uint32_t waiting);
    uint32_t PacketLineTimeMs() const;
    uint32_t ReadAvailable(uint8_t *data, uint32_t count);
    bool StopRequested();
    uint32_t WaitSlice(uint32_t remainingMs) const;
    void NoteHangUp();

    // The open line: a serial device or a line behind a device server; null before Connect.
    std::unique_ptr<ISerialLine> FHandle;
    std::unique_ptr<IPollTimer> FTimerWindow;
    std::vector<uint8_t> FPollBuffer;
    int64_t FPacketStartTick = -1;
    int FReadNesting = 0;
    TFailure FLastFailure;
    const std::atomic<bool> *FStopFlag = nullptr;

    TPortNumber FPort = pnCOM2;
    std::string FPortName = "\\\\.\\COM2";
    std::string FOpenedDevice;
    TBaudRate FBaudRate = br9600;
    uint32_t FBaudRateValue = 9600;
    TDataBits FDataBits = db8BITS;
    TStopBits FStopBits = sb1BITS;
    TParity FParity = ptNONE;
    THwFlowControl FHwFlow = hfNONERTSON;
    TSwFlowControl FSwFlow = sfNONE;
    uint32_t FInBufSize = 2048;
    uint32_t FOutBufSize = 2048;
    int16_t FPacketSize = -1;
    int32_t FPacketTimeout = -1;
    TPacketMode FPacketMode = pmDiscard;
    uint16_t FPollingDelay = 50;
    bool FEnableDTROnOpen = true;
    uint16_t FOutputTimeout = 500;
    uint32_t FInputTimeout = 200;
    bool FCheckLineStatus = false;
};

} // namespace morlith
