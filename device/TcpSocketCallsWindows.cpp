// SPDX-License-Identifier: MIT
// Socket calls on Windows: Winsock, non-blocking, waited on with WSAPoll.

#include "TcpSocketCalls.h"

#include "WindowsError.h"

#include <algorithm>
#include <winsock2.h>
#include <ws2tcpip.h>

namespace morlith::tcp {
namespace {

SOCKET Sock(intptr_t handle) { return static_cast<SOCKET>(handle); }

// Larger transfers go in several calls: Winsock counts in int.
constexpr size_t kMaxTransfer = size_t(1) << 20;

} // namespace

bool StartNetworking()
{
    // Started once for the process and left running until it ends.
    static const bool started = [] {
        WSADATA data;
        return WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    return started;
}

addrinfo *Resolve(const std::string &host, uint16_t port, std::string &error)
{
    addrinfo hints {};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_NUMERICSERV;
    addrinfo *found = nullptr;
    if (getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found) != 0) {
        error = WindowsErrorText(uint32_t(WSAGetLastError()));
        return nullptr;
    }
    return found;
}

void FreeResolved(addrinfo *list) { freeaddrinfo(list); }

const addrinfo *NextOf(const addrinfo *address) { return address->ai_next; }

intptr_t OpenConnecting(const addrinfo &candidate, int &error)
{
    const SOCKET s = ::socket(candidate.ai_family, candidate.ai_socktype, candidate.ai_protocol);
    if (s == INVALID_SOCKET) {
        error = WSAGetLastError();
        return kNoHandle;
    }
    u_long nonBlocking = 1;
    ioctlsocket(s, FIONBIO, &nonBlocking);
    if (::connect(s, candidate.ai_addr, int(candidate.ai_addrlen)) == 0) {
        error = 0;
        return static_cast<intptr_t>(s);
    }
    error = WSAGetLastError();
    if (error == WSAEWOULDBLOCK || error == WSAEINPROGRESS) {
        error = kConnectPending;
        return static_cast<intptr_t>(s);
    }
    closesocket(s);
    return kNoHandle;
}

int PollOne(intptr_t handle, bool forInput, uint32_t timeoutMs, int &error)
{
    WSAPOLLFD pfd{Sock(handle), short(forInput ? POLLRDNORM : POLLWRNORM), 0};
    const int timeout = timeoutMs > 0x7FFFFFFFu ? 0x7FFFFFFF : int(timeoutMs);
    const int rc = WSAPoll(&pfd, 1, timeout);
    error = rc == SOCKET_ERROR ? WSAGetLastError() : 0;
    return rc == SOCKET_ERROR ? -1 : rc;
}

int ConnectError(intptr_t handle)
{
    int error = 0;
    int length = sizeof error;
    if (getsockopt(Sock(handle), SOL_SOCKET, SO_ERROR, reinterpret_cast<char *>(&error), &length) != 0)
        return WSAGetLastError();
    return error;
}

void SetNoDelay(intptr_t handle)
{
    const BOOL on = TRUE;
    (void)setsockopt(Sock(handle), IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char *>(&on), sizeof on);
}

void CloseSocket(intptr_t handle) { closesocket(Sock(handle)); }

long SendSome(intptr_t handle, const uint8_t *data, size_t size, int &error)
{
    const int n = ::send(Sock(handle), reinterpret_cast<const char *>(data), int(std::min(size, kMaxTransfer)), 0);
    if (n >= 0)
        return long(n);
    error = WSAGetLastError();
    return error == WSAEWOULDBLOCK ? 0 : -1;
}

long ReceiveSome(intptr_t handle, uint8_t *data, size_t size, int &error)
{
    const int n = ::recv(Sock(handle), reinterpret_cast<char *>(data), int(std::min(size, kMaxTransfer)), 0);
    if (n >= 0)
        return long(n);
    error = WSAGetLastError();
    return error == WSAEWOULDBLOCK ? kWouldBlock : -1;
}

TErrorClass Classify(int error)
{
    switch (error) {
    case WSAECONNREFUSED:
        return TErrorClass::Refused;
    case WSAEHOSTUNREACH:
    case WSAENETUNREACH:
    case WSAEADDRNOTAVAIL:
        return TErrorClass::Unreachable;
    case WSAETIMEDOUT:
        return TErrorClass::TimedOut;
    case WSAEACCES:
        return TErrorClass::Permission;
    case WSAECONNRESET:
    case WSAECONNABORTED:
    case WSAENETRESET:
    case WSAESHUTDOWN:
        return TErrorClass::HangUp;
    default:
        return TErrorClass::Other;
    }
}

int TimedOutError() { return WSAETIMEDOUT; }

std::string ErrorText(int error) { return WindowsErrorText(uint32_t(error)); }

} // namespace morlith::tcp
