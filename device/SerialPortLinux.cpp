// SPDX-License-Identifier: MIT
// termios implementation of the serial platform layer (Linux).

#include "SerialPort.h"
#include "SerialCustomRate.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <grp.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace morlith {
namespace {

constexpr cc_t kXonChar = 0x11;
constexpr cc_t kXoffChar = 0x13;

// The rates termios names; any other goes through the arbitrary-rate interface.
speed_t StandardSpeed(uint32_t rate)
{
    switch (rate) {
    case 50: return B50;
    case 75: return B75;
    case 110: return B110;
    case 134: return B134;
    case 150: return B150;
    case 200: return B200;
    case 300: return B300;
    case 600: return B600;
    case 1200: return B1200;
    case 1800: return B1800;
    case 2400: return B2400;
    case 4800: return B4800;
    case 9600: return B9600;
    case 19200: return B19200;
    case 38400: return B38400;
    case 57600: return B57600;
    case 115200: return B115200;
    case 230400: return B230400;
    case 460800: return B460800;
    case 921600: return B921600;
    default: return 0;
    }
}

tcflag_t CharacterSize(int dataBits)
{
    switch (dataBits) {
    case 5: return CS5;
    case 6: return CS6;
    case 7: return CS7;
    default: return CS8;
    }
}

void ApplyParity(termios &tio, LineParity parity)
{
    tio.c_cflag &= ~tcflag_t(PARENB | PARODD | CMSPAR);
    switch (parity) {
    case LineParity::None: break;
    case LineParity::Odd: tio.c_cflag |= PARENB | PARODD; break;
    case LineParity::Even: tio.c_cflag |= PARENB; break;
    case LineParity::Mark: tio.c_cflag |= PARENB | CMSPAR | PARODD; break;
    case LineParity::Space: tio.c_cflag |= PARENB | CMSPAR; break;
    }
}

// Sets or clears modem output lines; a device without modem lines (a pseudo-terminal) is fine.
bool SetModemLine(int fd, int line, bool on)
{
    if (ioctl(fd, on ? TIOCMBIS : TIOCMBIC, &line) == 0)
        return true;
    return errno == ENOTTY || errno == EINVAL;
}

// Asks a USB adapter's driver for low latency: a reply then arrives at once, not after the
// adapter's 16 ms latency timer. Refusals are harmless and ignored.
void RequestLowLatency(int fd)
{
    serial_struct info {};
    if (ioctl(fd, TIOCGSERIAL, &info) != 0)
        return;
    info.flags |= ASYNC_LOW_LATENCY;
    (void)ioctl(fd, TIOCSSERIAL, &info);
}

// How to get access to a device the user may not open: the group that owns it.
std::string AccessHint(const std::string &device)
{
    struct stat info {};
    if (device.empty() || ::stat(device.c_str(), &info) != 0)
        return "";
    const group *owner = ::getgrgid(info.st_gid);
    const std::string name = owner != nullptr ? owner->gr_name : std::to_string(info.st_gid);
    if (info.st_gid == 0)
        return " (the device belongs to the group \"root\"; a udev rule can give the user access)";
    return " (the device belongs to the group \"" + name + "\"; add the user to it and log in again)";
}

// The descriptor behind a handle.
int Fd(intptr_t handle) { return static_cast<int>(handle); }

} // namespace

TSerialPort::~TSerialPort() { Close(); }

bool TSerialPort::Fail(const char *operation, int err)
{
    FLastFailure = OsFailure(err, operation, FDevice);
    FLastFailure.Device = FDevice;
    if (err == EACCES || err == EPERM)
        FLastFailure.Detail += AccessHint(FDevice);
    return false;
}

void TSerialPort::NoteHangUp(int err)
{
    FHungUp = true;
    FLastFailure = OsFailure(err, "the device went away:", FDevice);
    FLastFailure.Kind = TFailureKind::fkHangUp;
    FLastFailure.Device = FDevice;
}

bool TSerialPort::Open(const std::string &devicePath)
{
    Close();
    FDevice = devicePath;
    FHungUp = false;
    FPeerGone = false;
    int fd;
    do {
        fd = ::open(devicePath.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        const int err = errno;
        Fail("cannot open", err);
        // At open, ENXIO says that no device answers at the node (/dev/tty without a controlling
        // terminal, a port whose hardware is missing), not that one went away.
        if (err == ENXIO)
            FLastFailure.Kind = TFailureKind::fkNotFound;
        return false;
    }
    if (!isatty(fd)) {
        const int err = errno == 0 ? ENOTTY : errno;
        ::close(fd);
        Fail("cannot open", err == EINVAL ? ENOTTY : err);
        FLastFailure.Detail = devicePath + " is not a serial device";
        return false;
    }
    // TIOCEXCL keeps other users out, but not root; the lock keeps out every program that asks.
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int err = errno;
        ::close(fd);
        Fail("cannot open", err == EWOULDBLOCK ? EBUSY : err);
        FLastFailure.Detail += " (another program holds the port)";
        return false;
    }
    (void)ioctl(fd, TIOCEXCL);
    RequestLowLatency(fd);
    FHandle = fd;
    FLastFailure = TFailure{};
    return true;
}

void TSerialPort::Close()
{
    if (!IsOpen())
        return;
    // Exclusive mode outlives this descriptor while another one holds the device open; clear it.
    (void)ioctl(Fd(FHandle), TIOCNXCL);
    (void)flock(Fd(FHandle), LOCK_UN);
    ::close(Fd(FHandle));
    FHandle = kNoHandle;
}

bool TSerialPort::Configure(const LineSettings &settings)
{
    if (!IsOpen())
        return Fail("configure", EBADF);
    termios tio {};
    if (tcgetattr(Fd(FHandle), &tio) != 0)
        return Fail("configure", errno);
    cfmakeraw(&tio);
    tio.c_iflag &= ~tcflag_t(INPCK | IXON | IXOFF | IXANY);
    tio.c_iflag |= IGNBRK;
    tio.c_cflag |= CLOCAL | CREAD;
    tio.c_cflag &= ~tcflag_t(CSIZE | CSTOPB | CRTSCTS);
    tio.c_cflag |= CharacterSize(settings.DataBits);
    if (settings.StopBits != LineStopBits::One)
        tio.c_cflag |= CSTOPB;
    ApplyParity(tio, settings.Parity);
    if (settings.RtsCtsFlow)
        tio.c_cflag |= CRTSCTS;
    if (settings.XonXoffFlow)
        tio.c_iflag |= IXON | IXOFF;
    tio.c_cc[VSTART] = kXonChar;
    tio.c_cc[VSTOP] = kXoffChar;
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    // A custom rate is set afterwards through termios2; until then a named rate stands in, since
    // a rate left over from termios2 is not one that tcsetattr accepts.
    const speed_t speed = StandardSpeed(settings.BaudRate);
    cfsetispeed(&tio, speed != 0 ? speed : B38400);
    cfsetospeed(&tio, speed != 0 ? speed : B38400);
    if (tcsetattr(Fd(FHandle), TCSANOW, &tio) != 0)
        return Fail("configure", errno);
    if (speed == 0 && !SetCustomBaudRate(Fd(FHandle), settings.BaudRate))
        return Fail("set the bit rate of", errno);
    if (!SetModemLine(Fd(FHandle), TIOCM_DTR, settings.Dtr))
        return Fail("set DTR on", errno);
    if (!settings.RtsCtsFlow && !SetModemLine(Fd(FHandle), TIOCM_RTS, settings.Rts))
        return Fail("set RTS on", errno);
    return true;
}

bool TSerialPort::Purge(bool input, bool output)
{
    if (!IsOpen())
        return Fail("purge", EBADF);
    if (!input && !output)
        return true;
    const int which = input && output ? TCIOFLUSH : (input ? TCIFLUSH : TCOFLUSH);
    if (tcflush(Fd(FHandle), which) != 0)
        return Fail("purge", errno);
    return true;
}

long TSerialPort::InputCount()
{
    int count = 0;
    if (!IsOpen() || ioctl(Fd(FHandle), FIONREAD, &count) != 0)
        return -1;
    return count;
}

long TSerialPort::OutputCount()
{
    int count = 0;
    if (!IsOpen() || ioctl(Fd(FHandle), TIOCOUTQ, &count) != 0)
        return -1;
    return count;
}

bool TSerialPort::ModemSignals(unsigned &bits)
{
    bits = 0;
    int status = 0;
    if (!IsOpen() || ioctl(Fd(FHandle), TIOCMGET, &status) != 0)
        return false;
    if (status & TIOCM_CTS) bits |= mbCTS;
    if (status & TIOCM_DSR) bits |= mbDSR;
    if (status & TIOCM_RNG) bits |= mbRING;
    if (status & TIOCM_CD) bits |= mbDCD;
    return true;
}

long TSerialPort::Read(uint8_t *data, size_t size)
{
    if (!IsOpen())
        return -1;
    for (;;) {
        const ssize_t n = ::read(Fd(FHandle), data, size);
        if (n > 0)
            return long(n);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno == EAGAIN)
            return 0;
        // A raw terminal reads 0 when nothing waits; after a hang-up was signalled it means the
        // far end is gone, as does EIO.
        if (n == 0 && !FPeerGone)
            return 0;
        const int err = n == 0 ? EIO : errno;
        if (err == EIO || err == ENXIO)
            NoteHangUp(err);
        else
            Fail("read from", err);
        return -1;
    }
}

long TSerialPort::Write(const uint8_t *data, size_t size)
{
    if (!IsOpen())
        return -1;
    for (;;) {
        const ssize_t n = ::write(Fd(FHandle), data, size);
        if (n >= 0)
            return long(n);
        if (errno == EINTR)
            continue;
        if (errno == EAGAIN)
            return 0;
        const int err = errno;
        if (err == EIO || err == ENXIO || err == EPIPE)
            NoteHangUp(err);
        else
            Fail("write to", err);
        return -1;
    }
}

WaitResult TSerialPort::Wait(bool forInput, uint32_t timeoutMs)
{
    const short events = forInput ? POLLIN : POLLOUT;
    if (!IsOpen() || FHungUp)
        return WaitResult::HangUp;
    pollfd pfd{Fd(FHandle), events, 0};
    const int timeout = timeoutMs > 0x7FFFFFFFu ? 0x7FFFFFFF : int(timeoutMs);
    int rc;
    do {
        rc = ::poll(&pfd, 1, timeout);
    } while (rc < 0 && errno == EINTR);
    if (rc == 0)
        return WaitResult::TimedOut;
    if (rc < 0) {
        Fail("wait for", errno);
        return WaitResult::HangUp;
    }
    if (pfd.revents & (POLLHUP | POLLERR | POLLNVAL))
        FPeerGone = true;
    if (pfd.revents & events)
        return WaitResult::Ready; // read what is left; the read then reports the hang-up
    // A hang-up without the awaited event: nothing will ever come.
    NoteHangUp(EIO);
    return WaitResult::HangUp;
}

WaitResult TSerialPort::WaitReadable(uint32_t timeoutMs) { return Wait(true, timeoutMs); }

WaitResult TSerialPort::WaitWritable(uint32_t timeoutMs) { return Wait(false, timeoutMs); }

} // namespace morlith
