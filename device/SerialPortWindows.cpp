// SPDX-License-Identifier: MIT
// Win32 implementation of the serial platform layer: the port is opened as "\\.\COM<n>" without
// sharing and set up with one device-control record, the driver's queue sizes and time limits
// under which a read returns at once with what the input queue holds or, when it holds nothing,
// as soon as one byte arrives. Reads take only what the queue reports; waiting for input is a read
// of one byte, so that waiting costs no CPU and adds no delay.

#include "ComPortsWindows.h"
#include "MonotonicClock.h"
#include "SerialErrorWindows.h"
#include "SerialPort.h"
#include "PortMap.h"
#include "WindowsError.h"
#include "WindowsText.h"

#include <algorithm>
#include <windows.h>

namespace morlith {
namespace {

constexpr char kXonChar = 0x11;
constexpr char kXoffChar = 0x13;
// Write time limit of a single write call while flow control may hold the output; sending is
// timed by the driver above.
constexpr DWORD kWriteTimeoutMs = 10;
// Without flow control the line drains on its own, about ten bit times a byte; a write is given
// that and this much more before it ends with what went out, so that a driver that stalls ends
// the write instead of hanging it.
constexpr DWORD kWriteSlackMs = 500;
// Pause after a read that came back empty before its time limit (a driver that ignores the limit),
// so that the wait sleeps instead of spinning.
constexpr DWORD kEarlyReturnPauseMs = 2;
// Pause before another try when the output queue took nothing.
constexpr DWORD kOutputRecheckMs = 2;
// The longest single read while waiting for input; longer waits take several, so that the time
// limits are set once and not for every wait. It equals the driver's stop-check interval, the
// longest wait the driver asks for while a stop flag is set (always, under the programmator):
// a shorter slice would make every wait set and restore its own limit, four more calls each.
constexpr DWORD kWaitSliceMs = 50;

HANDLE Win32Handle(intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

// The port's queues into `status`; a line error the device reported since the last look (framing,
// parity, overrun) is counted in `lineErrors`. False when the port cannot tell.
bool LookAtStatus(HANDLE port, COMSTAT &status, unsigned &lineErrors)
{
    DWORD errors = 0;
    if (!ClearCommError(port, &errors, &status))
        return false;
    if (errors & (CE_FRAME | CE_RXPARITY | CE_OVERRUN | CE_RXOVER | CE_BREAK))
        ++lineErrors;
    return true;
}

// Time limits: a read returns at once with what the input queue holds or, when it is empty, as
// soon as one byte is there; after `readWaitMs` (1 ms or more) with none. A write returns after
// its limit with what went out.
bool SetTimeLimits(HANDLE port, DWORD readWaitMs, const TWriteLimit &write)
{
    COMMTIMEOUTS timeouts {};
    timeouts.ReadIntervalTimeout = MAXDWORD;
    timeouts.ReadTotalTimeoutMultiplier = MAXDWORD;
    timeouts.ReadTotalTimeoutConstant = readWaitMs;
    timeouts.WriteTotalTimeoutMultiplier = write.MsPerByte;
    timeouts.WriteTotalTimeoutConstant = write.ConstantMs;
    return SetCommTimeouts(port, &timeouts) != 0;
}

// True while the system names the COM port behind `device` ("\\.\COM5"); a USB adapter that was
// pulled out loses its name while a handle to it may still answer. Devices that are no COM port
// count as present.
bool DeviceNamed(const std::string &device)
{
    const auto number = ComPortNumber(device);
    return !number || SystemNamesComPort(*number);
}

// Changes only the read wait of the standing time limits.
bool SetReadWait(HANDLE port, DWORD readWaitMs)
{
    COMMTIMEOUTS timeouts {};
    if (!GetCommTimeouts(port, &timeouts))
        return false;
    timeouts.ReadTotalTimeoutConstant = readWaitMs;
    return SetCommTimeouts(port, &timeouts) != 0;
}

BYTE DcbParity(LineParity parity)
{
    switch (parity) {
    case LineParity::Odd: return ODDPARITY;
    case LineParity::Even: return EVENPARITY;
    case LineParity::Mark: return MARKPARITY;
    case LineParity::Space: return SPACEPARITY;
    case LineParity::None: break;
    }
    return NOPARITY;
}

BYTE DcbStopBits(LineStopBits stopBits)
{
    switch (stopBits) {
    case LineStopBits::OneAndHalf: return ONE5STOPBITS;
    case LineStopBits::Two: return TWOSTOPBITS;
    case LineStopBits::One: break;
    }
    return ONESTOPBIT;
}

void FillDcb(DCB &dcb, const LineSettings &settings)
{
    dcb.BaudRate = settings.BaudRate;
    dcb.fBinary = TRUE;
    dcb.fParity = FALSE; // no parity checking on input; the bit is still generated
    dcb.fOutxCtsFlow = settings.RtsCtsFlow;
    dcb.fOutxDsrFlow = FALSE;
    dcb.fDtrControl = settings.Dtr ? DTR_CONTROL_ENABLE : DTR_CONTROL_DISABLE;
    dcb.fDsrSensitivity = FALSE;
    dcb.fTXContinueOnXoff = FALSE;
    dcb.fOutX = settings.XonXoffFlow;
    dcb.fInX = settings.XonXoffFlow;
    dcb.fErrorChar = FALSE;
    dcb.fNull = FALSE;
    dcb.fRtsControl = settings.RtsCtsFlow ? RTS_CONTROL_HANDSHAKE
                      : settings.Rts      ? RTS_CONTROL_ENABLE
                                          : RTS_CONTROL_DISABLE;
    dcb.fAbortOnError = FALSE;
    const DWORD threshold = std::min<DWORD>(settings.InQueueSize / 4, 0xFFFF);
    dcb.XonLim = WORD(threshold);
    dcb.XoffLim = WORD(threshold);
    dcb.ByteSize = BYTE(std::clamp(settings.DataBits, 5, 8));
    dcb.Parity = DcbParity(settings.Parity);
    dcb.StopBits = DcbStopBits(settings.StopBits);
    dcb.XonChar = kXonChar;
    dcb.XoffChar = kXoffChar;
    dcb.ErrorChar = 0;
    dcb.EofChar = 0;
    dcb.EvtChar = 0;
}

} // namespace

TWriteLimit WriteLimitFor(const LineSettings &settings)
{
    if (settings.RtsCtsFlow || settings.XonXoffFlow)
        return {0, kWriteTimeoutMs};
    const uint32_t baud = std::max<uint32_t>(settings.BaudRate, 1);
    return {(10 * 1000 + baud - 1) / baud, kWriteSlackMs};
}

TFailureKind KindOfSerialError(uint32_t code, bool opening)
{
    switch (code) {
    case ERROR_SUCCESS:
        return TFailureKind::fkNone;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_DEV_NOT_EXIST:
    case ERROR_BAD_UNIT:
        return opening ? TFailureKind::fkNotFound : TFailureKind::fkHangUp;
    case ERROR_ACCESS_DENIED:
        // Opening: another program holds the port. Open: the device was removed under the handle.
        return opening ? TFailureKind::fkBusy : TFailureKind::fkHangUp;
    case ERROR_SHARING_VIOLATION:
    case ERROR_BUSY:
        return TFailureKind::fkBusy;
    case ERROR_PRIVILEGE_NOT_HELD:
        return TFailureKind::fkPermission;
    case ERROR_NOT_READY:
    case ERROR_GEN_FAILURE:
    case ERROR_BAD_COMMAND:
    case ERROR_DEVICE_NOT_CONNECTED:
    case ERROR_DEVICE_REMOVED:
    case ERROR_OPERATION_ABORTED:
    case ERROR_BROKEN_PIPE:
    case ERROR_INVALID_HANDLE:
    case ERROR_IO_DEVICE:
    case kErrorNoSuchDevice:
        return opening ? TFailureKind::fkNotFound : TFailureKind::fkHangUp;
    default:
        return TFailureKind::fkOs;
    }
}

TSerialPort::~TSerialPort() { Close(); }

bool TSerialPort::Fail(const char *operation, int err)
{
    FLastFailure = TFailure{};
    FLastFailure.Kind = KindOfSerialError(uint32_t(err), !IsOpen());
    if (FLastFailure.Kind == TFailureKind::fkNone)
        FLastFailure.Kind = TFailureKind::fkOs;
    FLastFailure.OsError = err;
    FLastFailure.OsText = WindowsErrorText(uint32_t(err));
    FLastFailure.Detail = std::string(operation) + " " + FDevice + ": " + FLastFailure.OsText;
    FLastFailure.Device = FDevice;
    if (FLastFailure.Kind == TFailureKind::fkBusy)
        FLastFailure.Detail += " (another program holds the port)";
    return false;
}

void TSerialPort::NoteHangUp(int err)
{
    FHungUp = true;
    Fail("the device went away:", err);
    FLastFailure.Kind = TFailureKind::fkHangUp;
}

bool TSerialPort::Open(const std::string &devicePath)
{
    Close();
    FDevice = devicePath;
    FHungUp = false;
    FPeerGone = false;
    FLookahead = -1;
    FFlowControl = false;
    FLineErrors = 0;
    const HANDLE port = CreateFileW(WideFromUtf8(devicePath).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (port == INVALID_HANDLE_VALUE)
        return Fail("cannot open", int(GetLastError()));
    DCB dcb {};
    dcb.DCBlength = sizeof dcb;
    if (!GetCommState(port, &dcb) || !SetTimeLimits(port, kWaitSliceMs, WriteLimitFor(LineSettings{}))) {
        const DWORD err = GetLastError();
        CloseHandle(port);
        Fail("cannot open", int(err));
        FLastFailure.Kind = TFailureKind::fkOs;
        FLastFailure.Detail = devicePath + " is not a serial device";
        return false;
    }
    FHandle = reinterpret_cast<intptr_t>(port);
    FLastFailure = TFailure{};
    FNamedAtOpen = DeviceNamed(devicePath);
    return true;
}

bool TSerialPort::PortVanished() const
{
    // A port the system did not name when it was opened (a device path, a port Wine reaches only
    // through its dosdevices folder) cannot lose its name.
    return FNamedAtOpen && !DeviceNamed(FDevice);
}

void TSerialPort::Close()
{
    if (!IsOpen())
        return;
    CloseHandle(Win32Handle(FHandle));
    FHandle = kNoHandle;
    FLookahead = -1;
}

bool TSerialPort::Configure(const LineSettings &settings)
{
    if (!IsOpen())
        return Fail("configure", ERROR_INVALID_HANDLE);
    const HANDLE port = Win32Handle(FHandle);
    DCB dcb {};
    dcb.DCBlength = sizeof dcb;
    if (!GetCommState(port, &dcb))
        return Fail("configure", int(GetLastError()));
    FillDcb(dcb, settings);
    if (!SetCommState(port, &dcb))
        return Fail("configure", int(GetLastError()));
    // The queue sizes are a recommendation the driver may turn down (virtual and some USB ports
    // do); the port then works with the driver's own.
    (void)SetupComm(port, settings.InQueueSize, settings.OutQueueSize);
    FFlowControl = settings.RtsCtsFlow || settings.XonXoffFlow;
    if (!SetTimeLimits(port, kWaitSliceMs, WriteLimitFor(settings)))
        return Fail("set the time limits of", int(GetLastError()));
    return true;
}

bool TSerialPort::Purge(bool input, bool output)
{
    if (!IsOpen())
        return Fail("purge", ERROR_INVALID_HANDLE);
    DWORD flags = 0;
    if (input) {
        flags |= PURGE_RXABORT | PURGE_RXCLEAR;
        FLookahead = -1;
    }
    if (output)
        flags |= PURGE_TXABORT | PURGE_TXCLEAR;
    if (flags != 0 && !PurgeComm(Win32Handle(FHandle), flags))
        return Fail("purge", int(GetLastError()));
    return true;
}

long TSerialPort::InputCount()
{
    COMSTAT status {};
    if (!IsOpen() || !LookAtStatus(Win32Handle(FHandle), status, FLineErrors))
        return -1;
    return long(status.cbInQue) + (FLookahead >= 0 ? 1 : 0);
}

long TSerialPort::OutputCount()
{
    COMSTAT status {};
    if (!IsOpen() || !LookAtStatus(Win32Handle(FHandle), status, FLineErrors))
        return -1;
    return long(status.cbOutQue);
}

bool TSerialPort::ModemSignals(unsigned &bits)
{
    bits = 0;
    DWORD status = 0;
    if (!IsOpen() || !GetCommModemStatus(Win32Handle(FHandle), &status))
        return false;
    if (status & MS_CTS_ON) bits |= mbCTS;
    if (status & MS_DSR_ON) bits |= mbDSR;
    if (status & MS_RING_ON) bits |= mbRING;
    if (status & MS_RLSD_ON) bits |= mbDCD;
    return true;
}

long TSerialPort::Read(uint8_t *data, size_t size)
{
    if (!IsOpen())
        return -1;
    if (size == 0)
        return 0;
    long stored = 0;
    if (FLookahead >= 0) {
        data[stored++] = uint8_t(FLookahead);
        FLookahead = -1;
    }
    // Only what the queue holds: a read of an empty queue would wait.
    COMSTAT status {};
    DWORD got = 0;
    const HANDLE port = Win32Handle(FHandle);
    const size_t wanted = size - size_t(stored);
    bool ok = wanted == 0 || LookAtStatus(port, status, FLineErrors);
    const DWORD ask = ok ? DWORD(std::min<size_t>({wanted, status.cbInQue, 0x10000})) : 0;
    if (ok && ask > 0)
        ok = ReadFile(port, data + stored, ask, &got, nullptr);
    if (!ok) {
        const DWORD err = GetLastError();
        if (stored > 0)
            return stored; // the failure shows again at the next read
        if (KindOfSerialError(err, false) == TFailureKind::fkHangUp)
            NoteHangUp(int(err));
        else
            Fail("read from", int(err));
        return -1;
    }
    return stored + long(got);
}

long TSerialPort::Write(const uint8_t *data, size_t size)
{
    if (!IsOpen())
        return -1;
    DWORD written = 0;
    const DWORD ask = DWORD(std::min<size_t>(size, 0x10000));
    const BOOL wrote = WriteFile(Win32Handle(FHandle), data, ask, &written, nullptr);
    const DWORD err = wrote ? ERROR_SUCCESS : GetLastError();
    // The time limit passed with nothing taken: the port is gone or its driver stalled.
    if ((wrote || err == ERROR_SEM_TIMEOUT) && written == 0 && ask > 0) {
        if (PortVanished()) {
            NoteHangUp(ERROR_DEVICE_NOT_CONNECTED);
            return -1;
        }
        if (FFlowControl)
            return 0; // flow control holds the output; the driver above times the sending
        Fail("write to", ERROR_SEM_TIMEOUT);
        FLastFailure.Kind = TFailureKind::fkNoReply;
        FLastFailure.Detail = "write to " + FDevice + ": the port took nothing within its time limit";
        return -1;
    }
    if (!wrote) {
        if (KindOfSerialError(err, false) == TFailureKind::fkHangUp)
            NoteHangUp(int(err));
        else
            Fail("write to", int(err));
        return -1;
    }
    return long(written);
}

WaitResult TSerialPort::Wait(bool forInput, uint32_t timeoutMs)
{
    if (!IsOpen() || FHungUp)
        return WaitResult::HangUp;
    const HANDLE port = Win32Handle(FHandle);
    // A failed call ends the wait: the device went away or cannot be used any more.
    const auto failed = [this](DWORD err) {
        if (KindOfSerialError(err, false) == TFailureKind::fkHangUp)
            NoteHangUp(int(err));
        else
            Fail("wait for", int(err));
        return WaitResult::HangUp;
    };
    COMSTAT status {};
    if (!LookAtStatus(port, status, FLineErrors))
        return failed(GetLastError());
    if (!forInput) {
        // The queue takes more once it drains; look again shortly.
        if (status.cbOutQue == 0)
            return WaitResult::Ready;
        Sleep(std::min<DWORD>(timeoutMs, kOutputRecheckMs));
        return WaitResult::Ready;
    }
    if (FLookahead >= 0 || status.cbInQue > 0)
        return WaitResult::Ready;
    // Reads of one byte, each returning as soon as it arrives: slices of the standing time limit,
    // then the rest under a limit of its own.
    const uint32_t start = TickCountMs();
    for (;;) {
        const uint32_t elapsed = MsSince(start);
        if (elapsed >= timeoutMs)
            break;
        const uint32_t remaining = timeoutMs - elapsed;
        const bool ownLimit = remaining < kWaitSliceMs;
        const DWORD limit = ownLimit ? remaining : kWaitSliceMs;
        const uint32_t readStart = TickCountMs();
        uint8_t byte = 0;
        DWORD got = 0;
        bool read = !ownLimit || SetReadWait(port, remaining);
        read = read && ReadFile(port, &byte, 1, &got, nullptr);
        const DWORD err = read ? ERROR_SUCCESS : GetLastError();
        if (ownLimit)
            (void)SetReadWait(port, kWaitSliceMs);
        if (!read)
            return failed(err);
        if (got == 1) {
            FLookahead = byte;
            return WaitResult::Ready;
        }
        // Nothing came: a device that went away shows it in its status.
        if (!LookAtStatus(port, status, FLineErrors))
            return failed(GetLastError());
        if (MsSince(readStart) + 1 < limit)
            Sleep(std::min<DWORD>(kEarlyReturnPauseMs, limit));
    }
    // A pulled-out adapter may leave a handle that only ever times out: a silent module and a
    // port that is gone are told apart by whether the system still names the port.
    if (PortVanished()) {
        NoteHangUp(ERROR_DEVICE_NOT_CONNECTED);
        return WaitResult::HangUp;
    }
    return WaitResult::TimedOut;
}

WaitResult TSerialPort::WaitReadable(uint32_t timeoutMs) { return Wait(true, timeoutMs); }

WaitResult TSerialPort::WaitWritable(uint32_t timeoutMs) { return Wait(false, timeoutMs); }

} // namespace morlith
