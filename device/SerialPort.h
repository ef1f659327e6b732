#pragma once
// The platform layer under the serial port driver: one open serial device and the few operations
// the driver needs of it. The driver never touches a descriptor or handle; everything OS-specific
// lives in the implementation files of this header, one per platform.

#include "Failure.h"

#include <cstddef>
#include <cstdint>
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

// Outcome of waiting for the device.
enum class WaitResult { Ready, TimedOut, HangUp };

// Modem input signals, as bits.
enum ModemBits : unsigned { mbCTS = 1, mbDSR = 2, mbRING = 4, mbDCD = 8 };

// One serial device, opened exclusively, in raw binary mode; no call blocks beyond the waits.
class TSerialPort {
public:
    TSerialPort() = default;
    ~TSerialPort();
    TSerialPort(const TSerialPort &) = delete;
    TSerialPort &operator=(const TSerialPort &) = delete;

    // Opens an existing serial device for reading and writing, exclusively. False on failure.
    bool Open(const std::string &devicePath);
    // Closes the device; nothing when closed.
    void Close();
    // True while a device is open.
    bool IsOpen() const { return FHandle != kNoHandle; }

    // Writes the line settings and raises or drops DTR and RTS.
    bool Configure(const LineSettings &settings);
    // Discards pending input and/or output.
    bool Purge(bool input, bool output);
    // Bytes waiting in the input queue, or -1 on failure.
    long InputCount();
    // Bytes waiting in the output queue, or -1 on failure.
    long OutputCount();
    // Modem input signals that are on (ModemBits); false when the device has no modem lines.
    bool ModemSignals(unsigned &bits);

    // Reads up to `size` bytes without blocking; returns the count, 0 when none, -1 on failure or
    // hang-up (then HungUp() is true).
    long Read(uint8_t *data, size_t size);
    // Writes up to `size` bytes without blocking; returns the count, -1 on failure.
    long Write(const uint8_t *data, size_t size);
    // Waits up to `timeoutMs` for input (or output room) without using the CPU.
    WaitResult WaitReadable(uint32_t timeoutMs);
    WaitResult WaitWritable(uint32_t timeoutMs);
    // True once the far end has hung up.
    bool HungUp() const { return FHungUp; }
    // Line errors (framing, parity, overrun) the device reported since Open; Windows counts them.
    unsigned LineErrors() const { return FLineErrors; }

    // The device path given to Open.
    const std::string &Device() const { return FDevice; }
    // Why the last failed operation failed: its kind from the OS error, the device, the OS text.
    const TFailure &LastFailure() const { return FLastFailure; }

private:
    bool Fail(const char *operation, int err);
    void NoteHangUp(int err);
    WaitResult Wait(bool forInput, uint32_t timeoutMs);
    // Windows: the system named the port when it was opened and no longer does (it was removed).
    bool PortVanished() const;

    // The descriptor or handle of the open device; kNoHandle when closed.
    static constexpr intptr_t kNoHandle = -1;
    intptr_t FHandle = kNoHandle;
    bool FHungUp = false;
    bool FPeerGone = false; // the device signalled a hang-up that no read has reported yet
    int FLookahead = -1; // a byte taken from the device while waiting for input; -1 when none
    unsigned FLineErrors = 0;
    bool FFlowControl = false; // the output may be held by the far end (Windows: no write limit then)
    bool FNamedAtOpen = false; // Windows: the system named the port when it was opened
    std::string FDevice;
    TFailure FLastFailure;
};

} // namespace morlith
