// SPDX-License-Identifier: MIT
#pragma once
// The platform layer under the serial port driver: one open serial device and the few operations
// the driver needs of it. The driver never touches a descriptor or handle; everything OS-specific
// lives in the implementation files of this header, one per platform.

#include "SerialLine.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace morlith {

// One serial device, opened exclusively, in raw binary mode; no call blocks beyond the waits.
class TSerialPort : public ISerialLine {
public:
    TSerialPort() = default;
    ~TSerialPort() override;
    TSerialPort(const TSerialPort &) = delete;
    TSerialPort &operator=(const TSerialPort &) = delete;

    // Opens an existing serial device for reading and writing, exclusively. False on failure.
    bool Open(const std::string &devicePath) override;
    // Closes the device; nothing when closed.
    void Close() override;
    // True while a device is open.
    bool IsOpen() const override { return FHandle != kNoHandle; }

    // Writes the line settings and raises or drops DTR and RTS.
    bool Configure(const LineSettings &settings) override;
    // Discards pending input and/or output.
    bool Purge(bool input, bool output) override;
    // Bytes waiting in the input queue, or -1 on failure.
    long InputCount() override;
    // Bytes waiting in the output queue, or -1 on failure.
    long OutputCount() override;
    // Modem input signals that are on (ModemBits); false when the device has no modem lines.
    bool ModemSignals(unsigned &bits) override;

    // Reads up to `size` bytes without blocking; returns the count, 0 when none, -1 on failure or
    // hang-up (then HungUp() is true).
    long Read(uint8_t *data, size_t size) override;
    // Writes up to `size` bytes without blocking; returns the count, -1 on failure.
    long Write(const uint8_t *data, size_t size) override;
    // Waits up to `timeoutMs` for input (or output room) without using the CPU.
    WaitResult WaitReadable(uint32_t timeoutMs) override;
    WaitResult WaitWritable(uint32_t timeoutMs) override;
    // True once the far end has hung up.
    bool HungUp() const override { return FHungUp; }
    // Line errors (framing, parity, overrun) the device reported since Open; Windows counts them.
    unsigned LineErrors() const override { return FLineErrors; }

    // The device path given to Open.
    const std::string &Device() const override { return FDevice; }
    // Why the last failed operation failed: its kind from the OS error, the device, the OS text.
    const TFailure &LastFailure() const override { return FLastFailure; }

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
