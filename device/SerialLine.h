// SPDX-License-Identifier: MIT
#pragma once
// ISerialLine: what the serial port driver needs of the line it talks through. A local serial
// device (TSerialPort) and a serial line behind a device server on the network (TNetworkPort,
// TRfc2217Port) implement it; the driver does not know which one it has.

#include "Failure.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace morlith {

// Parity generated on the line.
enum class LineParity { None, Odd, Even, Mark, Space };
// Stop bits; 1.5 is what the hardware makes of "2" with 5-bit characters.
enum class LineStopBits { One, OneAndHalf, Two };

// Everything written to the line in one go.
struct LineSettings {
    uint32_t BaudRate = 9600;
    int DataBits = 8; // 5..8
    LineParity Parity = LineParity::None;
    LineStopBits StopBits = LineStopBits::One;
    bool RtsCtsFlow = false; // CTS output flow control, RTS handshaking
    bool XonXoffFlow = false; // both directions, XON 0x11 / XOFF 0x13
    bool Dtr = true; // DTR raised while open
    bool Rts = true; // RTS raised while open (ignored with RtsCtsFlow)
    // Driver queue sizes, where the system takes them (XON/XOFF thresholds are a quarter of the
    // input queue).
    uint32_t InQueueSize = 2048;
    uint32_t OutQueueSize = 2048;
};

// Outcome of waiting for the line.
enum class WaitResult { Ready, TimedOut, HangUp };

// Modem input signals, as bits.
enum ModemBits : unsigned { mbCTS = 1, mbDSR = 2, mbRING = 4, mbDCD = 8 };

// One open line, in raw binary mode; no call blocks beyond the waits.
class ISerialLine {
public:
    virtual ~ISerialLine() = default;

    // Opens the line named `name` (a device path or an address). False on failure.
    virtual bool Open(const std::string &name) = 0;
    // Closes the line; nothing when closed. Sends nothing.
    virtual void Close() = 0;
    // True while open.
    virtual bool IsOpen() const = 0;

    // Writes the line settings and raises or drops DTR and RTS.
    virtual bool Configure(const LineSettings &settings) = 0;
    // Discards pending input and/or output.
    virtual bool Purge(bool input, bool output) = 0;
    // Bytes waiting to be read, or -1 on failure.
    virtual long InputCount() = 0;
    // Bytes waiting to go out, or -1 on failure.
    virtual long OutputCount() = 0;
    // Modem input signals that are on (ModemBits); false when the line has no modem signals.
    virtual bool ModemSignals(unsigned &bits) = 0;

    // Reads up to `size` bytes without blocking; returns the count, 0 when none, -1 on failure or
    // hang-up (then HungUp() is true).
    virtual long Read(uint8_t *data, size_t size) = 0;
    // Writes up to `size` bytes without blocking; returns the count, -1 on failure.
    virtual long Write(const uint8_t *data, size_t size) = 0;
    // Waits up to `timeoutMs` for input (or output room) without using the CPU.
    virtual WaitResult WaitReadable(uint32_t timeoutMs) = 0;
    virtual WaitResult WaitWritable(uint32_t timeoutMs) = 0;
    // True once the far end has hung up.
    virtual bool HungUp() const = 0;
    // Line errors (framing, parity, overrun) the line reported since it was opened.
    virtual unsigned LineErrors() const { return 0; }
    // Why the line takes no output now when something else holds it (a device server's pause);
    // no failure otherwise.
    virtual TFailure OutputHeld() const { return {}; }

    // The name given to Open.
    virtual const std::string &Device() const = 0;
    // Why the last failed operation failed.
    virtual const TFailure &LastFailure() const = 0;
};

// A closed line of the kind `name` asks for: a network line for an address
// ("rfc2217://HOST:PORT", "socket://HOST:PORT"), the serial device otherwise. Waits of a network
// line (its connect too) end soon after *stopFlag becomes true (null: never).
std::unique_ptr<ISerialLine> MakeSerialLine(const std::string &name, const std::atomic<bool> *stopFlag);

} // namespace morlith
