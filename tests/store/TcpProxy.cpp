// SPDX-License-Identifier: MIT
#include "TcpProxy.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

namespace morlith::test {
namespace {

// 127.0.0.1:`port`.
sockaddr_in Loopback(uint16_t port)
{
    return sockaddr_in{AF_INET, htons(port), {htonl(INADDR_LOOPBACK)}, {}};
}

// Closes `fd` with a reset rather than an orderly end, as a cut link looks to the far side.
void Reset(int fd)
{
    const linger now{1, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &now, sizeof now);
    ::close(fd);
}

// Moves what `from` has to `to`; false when `from` ended or either failed.
bool Forward(int from, int to)
{
    char buffer[16384];
    const ssize_t count = ::recv(from, buffer, sizeof buffer, MSG_DONTWAIT);
    if (count <= 0)
        return count < 0 && (errno == EAGAIN || errno == EINTR);
    for (ssize_t sent = 0; sent < count;) {
        const ssize_t part = ::send(to, buffer + sent, size_t(count - sent), MSG_NOSIGNAL);
        if (part <= 0)
            return false;
        sent += part;
    }
    return true;
}

} // namespace

TTcpProxy::TTcpProxy(uint16_t target) : FTarget(target)
{
    if (::pipe2(FWake, O_CLOEXEC | O_NONBLOCK) != 0)
        throw std::runtime_error("no pipe for the proxy");
    Listen();
    FThread = std::thread([this] { Serve(); });
}

TTcpProxy::~TTcpProxy()
{
    FDone = true;
    Wake();
    FThread.join();
    for (const TPair &pair : FPairs) {
        ::close(pair.Client);
        ::close(pair.Server);
    }
    if (FListener >= 0)
        ::close(FListener);
    ::close(FWake[0]);
    ::close(FWake[1]);
}

void TTcpProxy::Listen()
{
    FListener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const int yes = 1;
    ::setsockopt(FListener, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in address = Loopback(FPort);
    socklen_t length = sizeof address;
    if (::bind(FListener, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0 ||
        ::listen(FListener, 64) != 0 || ::getsockname(FListener, reinterpret_cast<sockaddr *>(&address), &length) != 0)
        throw std::runtime_error("the proxy cannot listen");
    FPort = ntohs(address.sin_port);
}

void TTcpProxy::Wake()
{
    const char byte = 0;
    [[maybe_unused]] const ssize_t ignored = ::write(FWake[1], &byte, 1);
}

void TTcpProxy::Stall(bool stalled)
{
    FStalled = stalled;
    Wake();
}

void TTcpProxy::Cut()
{
    std::lock_guard<std::mutex> hold(FLock);
    FCut = true;
    for (const TPair &pair : FPairs) {
        Reset(pair.Client);
        Reset(pair.Server);
    }
    FPairs.clear();
    ::close(FListener);
    FListener = -1;
    Wake();
}

void TTcpProxy::Mend()
{
    std::lock_guard<std::mutex> hold(FLock);
    Listen();
    FCut = false;
    Wake();
}

void TTcpProxy::Serve()
{
    while (!FDone) {
        std::vector<pollfd> watched = {{FWake[0], POLLIN, 0}};
        {
            std::lock_guard<std::mutex> hold(FLock);
            if (!FStalled) {
                if (FListener >= 0)
                    watched.push_back({FListener, POLLIN, 0});
                for (const TPair &pair : FPairs) {
                    watched.push_back({pair.Client, POLLIN, 0});
                    watched.push_back({pair.Server, POLLIN, 0});
                }
            }
        }
        if (::poll(watched.data(), watched.size(), 1000) <= 0)
            continue;
        char drain[64];
        while (::read(FWake[0], drain, sizeof drain) > 0) {
        }
        std::lock_guard<std::mutex> hold(FLock);
        if (FStalled)
            continue;
        for (const pollfd &entry : watched) {
            if (!(entry.revents & (POLLIN | POLLHUP | POLLERR)) || entry.fd == FWake[0])
                continue;
            if (entry.fd == FListener) {
                const int client = ::accept4(FListener, nullptr, nullptr, SOCK_CLOEXEC);
                if (client < 0)
                    continue;
                const int server = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
                const sockaddr_in target = Loopback(FTarget);
                if (::connect(server, reinterpret_cast<const sockaddr *>(&target), sizeof target) != 0) {
                    ::close(server);
                    Reset(client);
                    continue;
                }
                FPairs.push_back({client, server});
                continue;
            }
            for (size_t i = 0; i < FPairs.size(); ++i) {
                const TPair pair = FPairs[i];
                if (entry.fd != pair.Client && entry.fd != pair.Server)
                    continue;
                const bool fromClient = entry.fd == pair.Client;
                if (!Forward(entry.fd, fromClient ? pair.Server : pair.Client)) {
                    ::close(pair.Client);
                    ::close(pair.Server);
                    FPairs.erase(FPairs.begin() + long(i));
                }
                break;
            }
        }
    }
}

} // namespace morlith::test
