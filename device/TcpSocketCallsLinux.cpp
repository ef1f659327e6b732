// SPDX-License-Identifier: MIT
// Socket calls on Linux: BSD sockets, non-blocking, waited on with poll(2).

#include "TcpSocketCalls.h"

#include <cerrno>
#include <cstring>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace morlith::tcp {
namespace {

int Fd(intptr_t handle) { return static_cast<int>(handle); }

} // namespace

bool StartNetworking() { return true; }

addrinfo *Resolve(const std::string &host, uint16_t port, std::string &error)
{
    addrinfo hints {};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_NUMERICSERV;
    addrinfo *found = nullptr;
    const int rc = getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found);
    if (rc != 0) {
        error = gai_strerror(rc);
        return nullptr;
    }
    return found;
}

void FreeResolved(addrinfo *list) { freeaddrinfo(list); }

const addrinfo *NextOf(const addrinfo *address) { return address->ai_next; }

intptr_t OpenConnecting(const addrinfo &candidate, int &error)
{
    const int fd = ::socket(candidate.ai_family, candidate.ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC,
                            candidate.ai_protocol);
    if (fd < 0) {
        error = errno;
        return kNoHandle;
    }
    if (::connect(fd, candidate.ai_addr, candidate.ai_addrlen) == 0) {
        error = 0;
        return fd;
    }
    error = errno == EINPROGRESS ? kConnectPending : errno;
    if (error != kConnectPending) {
        ::close(fd);
        return kNoHandle;
    }
    return fd;
}

int PollOne(intptr_t handle, bool forInput, uint32_t timeoutMs, int &error)
{
    pollfd pfd{Fd(handle), short(forInput ? POLLIN : POLLOUT), 0};
    const int timeout = timeoutMs > 0x7FFFFFFFu ? 0x7FFFFFFF : int(timeoutMs);
    int rc;
    do {
        rc = ::poll(&pfd, 1, timeout);
    } while (rc < 0 && errno == EINTR);
    error = rc < 0 ? errno : 0;
    return rc;
}

int ConnectError(intptr_t handle)
{
    int error = 0;
    socklen_t length = sizeof error;
    if (getsockopt(Fd(handle), SOL_SOCKET, SO_ERROR, &error, &length) != 0)
        return errno;
    return error;
}

void SetNoDelay(intptr_t handle)
{
    const int on = 1;
    (void)setsockopt(Fd(handle), IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
}

void CloseSocket(intptr_t handle) { ::close(Fd(handle)); }

long SendSome(intptr_t handle, const uint8_t *data, size_t size, int &error)
{
    for (;;) {
        const ssize_t n = ::send(Fd(handle), data, size, MSG_NOSIGNAL);
        if (n >= 0)
            return long(n);
        if (errno == EINTR)
            continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK)
            return 0;
        error = errno;
        return -1;
    }
}

long ReceiveSome(intptr_t handle, uint8_t *data, size_t size, int &error)
{
    for (;;) {
        const ssize_t n = ::recv(Fd(handle), data, size, 0);
        if (n >= 0)
            return long(n);
        if (errno == EINTR)
            continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK)
            return kWouldBlock;
        error = errno;
        return -1;
    }
}

TErrorClass Classify(int error)
{
    switch (error) {
    case ECONNREFUSED:
        return TErrorClass::Refused;
    case EHOSTUNREACH:
    case ENETUNREACH:
    case EADDRNOTAVAIL:
        return TErrorClass::Unreachable;
    case ETIMEDOUT:
        return TErrorClass::TimedOut;
    case EACCES:
    case EPERM:
        return TErrorClass::Permission;
    case ECONNRESET:
    case EPIPE:
    case ECONNABORTED:
        return TErrorClass::HangUp;
    default:
        return TErrorClass::Other;
    }
}

int TimedOutError() { return ETIMEDOUT; }

std::string ErrorText(int error) { return std::strerror(error); }

} // namespace morlith::tcp
