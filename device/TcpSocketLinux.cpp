// TCP connections on Linux: BSD sockets, non-blocking, waited on with poll(2).

#include "TcpSocket.h"

#include "MonotonicClock.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace morlith {
namespace {

int Fd(intptr_t handle) { return static_cast<int>(handle); }

// The kind a failed connect stands for: nobody there is not_found, silence is no_reply.
TFailureKind ConnectFailureKind(int err)
{
    switch (err) {
    case ECONNREFUSED:
    case EHOSTUNREACH:
    case ENETUNREACH:
    case EADDRNOTAVAIL:
        return TFailureKind::fkNotFound;
    case ETIMEDOUT:
        return TFailureKind::fkNoReply;
    case EACCES:
    case EPERM:
        return TFailureKind::fkPermission;
    default:
        return TFailureKind::fkOs;
    }
}

bool IsHangUpError(int err) { return err == ECONNRESET || err == EPIPE || err == ECONNABORTED || err == ETIMEDOUT; }

// Waits until a non-blocking connect on `fd` ends; its error (0: connected), or ETIMEDOUT, or -1
// on a stop request.
int AwaitConnect(int fd, uint32_t timeoutMs, const std::atomic<bool> *stopFlag, uint32_t stopCheckMs)
{
    const uint32_t start = TickCountMs();
    for (;;) {
        if (stopFlag != nullptr && stopFlag->load())
            return -1;
        const uint32_t elapsed = MsSince(start);
        if (elapsed >= timeoutMs)
            return ETIMEDOUT;
        uint32_t slice = timeoutMs - elapsed;
        if (stopFlag != nullptr)
            slice = std::min(slice, stopCheckMs);
        pollfd pfd{fd, POLLOUT, 0};
        const int rc = ::poll(&pfd, 1, int(slice));
        if (rc < 0 && errno != EINTR)
            return errno;
        if (rc <= 0)
            continue;
        int err = 0;
        socklen_t length = sizeof err;
        if (getsockopt(fd, SOL_SOCKET, SO_ERROR, &err, &length) != 0)
            return errno;
        return err;
    }
}

} // namespace

TTcpSocket::~TTcpSocket() { Close(); }

bool TTcpSocket::Fail(TFailureKind kind, int osError, const std::string &detail)
{
    FLastFailure = MakeFailure(kind, detail);
    FLastFailure.OsError = osError;
    FLastFailure.OsText = osError != 0 ? std::strerror(osError) : "";
    return false;
}

void TTcpSocket::NoteHangUp(int osError)
{
    FHungUp = true;
    Fail(TFailureKind::fkHangUp, osError,
         osError == 0 ? FPeer + " closed the connection" : FPeer + " dropped the connection");
}

bool TTcpSocket::Connect(const std::string &host, uint16_t port, uint32_t timeoutMs,
                         const std::atomic<bool> *stopFlag, uint32_t stopCheckMs)
{
    Close();
    FHungUp = false;
    FLastFailure = TFailure{};
    FPeer = (host.find(':') != std::string::npos ? "[" + host + "]" : host) + ":" + std::to_string(port);
    addrinfo hints {};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_NUMERICSERV;
    addrinfo *found = nullptr;
    const std::string service = std::to_string(port);
    const int rc = getaddrinfo(host.c_str(), service.c_str(), &hints, &found);
    if (rc != 0)
        return Fail(TFailureKind::fkNotFound, 0, "cannot find the host " + host + ": " + gai_strerror(rc));
    int lastError = ECONNREFUSED;
    for (addrinfo *candidate = found; candidate != nullptr; candidate = candidate->ai_next) {
        const int fd = ::socket(candidate->ai_family, candidate->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC,
                                candidate->ai_protocol);
        if (fd < 0) {
            lastError = errno;
            continue;
        }
        int err = ::connect(fd, candidate->ai_addr, candidate->ai_addrlen) == 0 ? 0 : errno;
        if (err == EINPROGRESS)
            err = AwaitConnect(fd, timeoutMs, stopFlag, stopCheckMs);
        if (err == 0) {
            // Frames are small and each waits for its reply: send them at once.
            const int on = 1;
            (void)setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
            FHandle = fd;
            freeaddrinfo(found);
            return true;
        }
        ::close(fd);
        if (err < 0) {
            freeaddrinfo(found);
            return Fail(TFailureKind::fkStopped, 0, "stopped on request while connecting to " + FPeer);
        }
        lastError = err;
    }
    freeaddrinfo(found);
    if (lastError == ETIMEDOUT)
        return Fail(TFailureKind::fkNoReply, lastError,
                    "no answer from " + FPeer + " within " + std::to_string(timeoutMs) + " ms");
    const std::string why = lastError == ECONNREFUSED ? "connection refused (nothing listens there)"
                                                      : std::string(std::strerror(lastError));
    return Fail(ConnectFailureKind(lastError), lastError, "cannot connect to " + FPeer + ": " + why);
}

void TTcpSocket::Close()
{
    if (!IsOpen())
        return;
    ::close(Fd(FHandle));
    FHandle = kNoHandle;
}

long TTcpSocket::Send(const uint8_t *data, size_t size)
{
    if (!IsOpen() || FHungUp)
        return -1;
    for (;;) {
        const ssize_t n = ::send(Fd(FHandle), data, size, MSG_NOSIGNAL);
        if (n >= 0)
            return long(n);
        if (errno == EINTR)
            continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK)
            return 0;
        const int err = errno;
        if (IsHangUpError(err))
            NoteHangUp(err);
        else
            Fail(KindOfErrno(err), err, "cannot send to " + FPeer + ": " + std::strerror(err));
        return -1;
    }
}

long TTcpSocket::Receive(uint8_t *data, size_t size)
{
    if (!IsOpen() || FHungUp)
        return -1;
    for (;;) {
        const ssize_t n = ::recv(Fd(FHandle), data, size, 0);
        if (n > 0)
            return long(n);
        if (n == 0) {
            NoteHangUp(0);
            return -1;
        }
        if (errno == EINTR)
            continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK)
            return 0;
        const int err = errno;
        if (IsHangUpError(err))
            NoteHangUp(err);
        else
            Fail(KindOfErrno(err), err, "cannot receive from " + FPeer + ": " + std::strerror(err));
        return -1;
    }
}

WaitResult TTcpSocket::Wait(bool forInput, uint32_t timeoutMs)
{
    if (!IsOpen() || FHungUp)
        return WaitResult::HangUp;
    pollfd pfd{Fd(FHandle), short(forInput ? POLLIN : POLLOUT), 0};
    const int timeout = timeoutMs > 0x7FFFFFFFu ? 0x7FFFFFFF : int(timeoutMs);
    int rc;
    do {
        rc = ::poll(&pfd, 1, timeout);
    } while (rc < 0 && errno == EINTR);
    if (rc == 0)
        return WaitResult::TimedOut;
    if (rc < 0) {
        Fail(TFailureKind::fkOs, errno, std::string("cannot wait for ") + FPeer + ": " + std::strerror(errno));
        return WaitResult::HangUp;
    }
    // A closed or reset connection is readable: the next receive reports it.
    return WaitResult::Ready;
}

} // namespace morlith
