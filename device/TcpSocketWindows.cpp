// TCP connections on Windows: Winsock, non-blocking, waited on with WSAPoll.

#include "TcpSocket.h"

#include "MonotonicClock.h"
#include "WindowsError.h"

#include <algorithm>
#include <winsock2.h>
#include <ws2tcpip.h>

namespace morlith {
namespace {

SOCKET Sock(intptr_t handle) { return static_cast<SOCKET>(handle); }

// Winsock is started once for the process and left running until it ends.
bool StartWinsock()
{
    static const bool started = [] {
        WSADATA data;
        return WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    return started;
}

TFailureKind ConnectFailureKind(int err)
{
    switch (err) {
    case WSAECONNREFUSED:
    case WSAEHOSTUNREACH:
    case WSAENETUNREACH:
    case WSAEADDRNOTAVAIL:
        return TFailureKind::fkNotFound;
    case WSAETIMEDOUT:
        return TFailureKind::fkNoReply;
    case WSAEACCES:
        return TFailureKind::fkPermission;
    default:
        return TFailureKind::fkOs;
    }
}

bool IsHangUpError(int err)
{
    return err == WSAECONNRESET || err == WSAECONNABORTED || err == WSAENETRESET || err == WSAESHUTDOWN ||
           err == WSAETIMEDOUT;
}

// Waits until a non-blocking connect ends; its error (0: connected), WSAETIMEDOUT, or -1 on a
// stop request.
int AwaitConnect(SOCKET s, uint32_t timeoutMs, const std::atomic<bool> *stopFlag, uint32_t stopCheckMs)
{
    const uint32_t start = TickCountMs();
    for (;;) {
        if (stopFlag != nullptr && stopFlag->load())
            return -1;
        const uint32_t elapsed = MsSince(start);
        if (elapsed >= timeoutMs)
            return WSAETIMEDOUT;
        uint32_t slice = timeoutMs - elapsed;
        if (stopFlag != nullptr)
            slice = std::min(slice, stopCheckMs);
        WSAPOLLFD pfd{s, POLLWRNORM, 0};
        const int rc = WSAPoll(&pfd, 1, int(slice));
        if (rc == SOCKET_ERROR)
            return WSAGetLastError();
        if (rc == 0)
            continue;
        int err = 0;
        int length = sizeof err;
        if (getsockopt(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char *>(&err), &length) != 0)
            return WSAGetLastError();
        return err;
    }
}

} // namespace

TTcpSocket::~TTcpSocket() { Close(); }

bool TTcpSocket::Fail(TFailureKind kind, int osError, const std::string &detail)
{
    FLastFailure = MakeFailure(kind, detail);
    FLastFailure.OsError = osError;
    FLastFailure.OsText = osError != 0 ? WindowsErrorText(uint32_t(osError)) : "";
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
    if (!StartWinsock())
        return Fail(TFailureKind::fkOs, 0, "cannot start the network layer");
    addrinfo hints {};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_NUMERICSERV;
    addrinfo *found = nullptr;
    const std::string service = std::to_string(port);
    if (getaddrinfo(host.c_str(), service.c_str(), &hints, &found) != 0)
        return Fail(TFailureKind::fkNotFound, WSAGetLastError(), "cannot find the host " + host);
    int lastError = WSAECONNREFUSED;
    for (addrinfo *candidate = found; candidate != nullptr; candidate = candidate->ai_next) {
        const SOCKET s = ::socket(candidate->ai_family, candidate->ai_socktype, candidate->ai_protocol);
        if (s == INVALID_SOCKET) {
            lastError = WSAGetLastError();
            continue;
        }
        u_long nonBlocking = 1;
        ioctlsocket(s, FIONBIO, &nonBlocking);
        int err = ::connect(s, candidate->ai_addr, int(candidate->ai_addrlen)) == 0 ? 0 : WSAGetLastError();
        if (err == WSAEWOULDBLOCK || err == WSAEINPROGRESS)
            err = AwaitConnect(s, timeoutMs, stopFlag, stopCheckMs);
        if (err == 0) {
            // Frames are small and each waits for its reply: send them at once.
            const BOOL on = TRUE;
            (void)setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char *>(&on), sizeof on);
            FHandle = static_cast<intptr_t>(s);
            freeaddrinfo(found);
            return true;
        }
        closesocket(s);
        if (err < 0) {
            freeaddrinfo(found);
            return Fail(TFailureKind::fkStopped, 0, "stopped on request while connecting to " + FPeer);
        }
        lastError = err;
    }
    freeaddrinfo(found);
    if (lastError == WSAETIMEDOUT)
        return Fail(TFailureKind::fkNoReply, lastError,
                    "no answer from " + FPeer + " within " + std::to_string(timeoutMs) + " ms");
    const std::string why = lastError == WSAECONNREFUSED ? "connection refused (nothing listens there)"
                                                         : WindowsErrorText(uint32_t(lastError));
    return Fail(ConnectFailureKind(lastError), lastError, "cannot connect to " + FPeer + ": " + why);
}

void TTcpSocket::Close()
{
    if (!IsOpen())
        return;
    closesocket(Sock(FHandle));
    FHandle = kNoHandle;
}

long TTcpSocket::Send(const uint8_t *data, size_t size)
{
    if (!IsOpen() || FHungUp)
        return -1;
    const int n = ::send(Sock(FHandle), reinterpret_cast<const char *>(data), int(std::min<size_t>(size, 1 << 20)), 0);
    if (n >= 0)
        return long(n);
    const int err = WSAGetLastError();
    if (err == WSAEWOULDBLOCK)
        return 0;
    if (IsHangUpError(err))
        NoteHangUp(err);
    else
        Fail(TFailureKind::fkOs, err, "cannot send to " + FPeer + ": " + WindowsErrorText(uint32_t(err)));
    return -1;
}

long TTcpSocket::Receive(uint8_t *data, size_t size)
{
    if (!IsOpen() || FHungUp)
        return -1;
    const int n = ::recv(Sock(FHandle), reinterpret_cast<char *>(data), int(std::min<size_t>(size, 1 << 20)), 0);
    if (n > 0)
        return long(n);
    if (n == 0) {
        NoteHangUp(0);
        return -1;
    }
    const int err = WSAGetLastError();
    if (err == WSAEWOULDBLOCK)
        return 0;
    if (IsHangUpError(err))
        NoteHangUp(err);
    else
        Fail(TFailureKind::fkOs, err, "cannot receive from " + FPeer + ": " + WindowsErrorText(uint32_t(err)));
    return -1;
}

WaitResult TTcpSocket::Wait(bool forInput, uint32_t timeoutMs)
{
    if (!IsOpen() || FHungUp)
        return WaitResult::HangUp;
    WSAPOLLFD pfd{Sock(FHandle), short(forInput ? POLLRDNORM : POLLWRNORM), 0};
    const int timeout = timeoutMs > 0x7FFFFFFFu ? 0x7FFFFFFF : int(timeoutMs);
    const int rc = WSAPoll(&pfd, 1, timeout);
    if (rc == 0)
        return WaitResult::TimedOut;
    if (rc == SOCKET_ERROR) {
        const int err = WSAGetLastError();
        Fail(TFailureKind::fkOs, err, "cannot wait for " + FPeer + ": " + WindowsErrorText(uint32_t(err)));
        return WaitResult::HangUp;
    }
    // A closed or reset connection shows as ready: the next receive or send reports it.
    return WaitResult::Ready;
}

} // namespace morlith
