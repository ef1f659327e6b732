// SPDX-License-Identifier: MIT
#pragma once
// The socket calls TTcpSocket makes, one implementation per platform (BSD sockets, Winsock).
// Every call is non-blocking except PollOne, which waits at most its time limit.

#include <cstddef>
#include <cstdint>
#include <string>

struct addrinfo;

namespace morlith::tcp {

constexpr intptr_t kNoHandle = -1;
// ReceiveSome: nothing waits now.
constexpr long kWouldBlock = -2;
// OpenConnecting: the connect goes on in the background.
constexpr int kConnectPending = -1;

// What an error number means for a connection.
enum class TErrorClass { Refused, Unreachable, TimedOut, Permission, HangUp, Other };

// Starts the platform's networking once; false when it cannot.
bool StartNetworking();
// The addresses of host:port (freed with FreeResolved), or null with `error` set.
addrinfo *Resolve(const std::string &host, uint16_t port, std::string &error);
void FreeResolved(addrinfo *list);
// The next address of a resolved list, or null.
const addrinfo *NextOf(const addrinfo *address);
// A non-blocking socket for `candidate` that has started to connect: `error` is 0 when it is
// connected, kConnectPending while it goes on, the error otherwise (then the result is kNoHandle).
intptr_t OpenConnecting(const addrinfo &candidate, int &error);
// Waits up to `timeoutMs` for input (or room to send): >0 ready, 0 timed out, <0 failed (`error`).
int PollOne(intptr_t handle, bool forInput, uint32_t timeoutMs, int &error);
// The outcome of a finished background connect: 0 or its error.
int ConnectError(intptr_t handle);
// Sends small writes at once.
void SetNoDelay(intptr_t handle);
void CloseSocket(intptr_t handle);
// Sends what the socket takes: the count (0 when it takes nothing), or -1 with `error`.
long SendSome(intptr_t handle, const uint8_t *data, size_t size, int &error);
// Receives what waits: the count, 0 when the peer closed, kWouldBlock, or -1 with `error`.
long ReceiveSome(intptr_t handle, uint8_t *data, size_t size, int &error);
TErrorClass Classify(int error);
// The error number of a connect that timed out.
int TimedOutError();
std::string ErrorText(int error);

} // namespace morlith::tcp
