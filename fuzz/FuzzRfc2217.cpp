// SPDX-License-Identifier: MIT
// Arbitrary server bytes taken in by an RFC 2217 line that is open to a server on the loopback:
// negotiation requests, COM-port replies and notifications, line data, in receives cut where the
// input says. The line keeps its bounds: held input within its cap, a refusal that stays, no
// crash, and its answers go to the real connection.
// Input: byte 0 is the size of each receive (1..256), the rest is what the server sent.

#include "Rfc2217Port.h"

#include <arpa/inet.h>
#include <cstdlib>
#include <netinet/in.h>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

using namespace morlith;

namespace {

// Takes in bytes as if they came from the connection.
class TFuzzedLine : public TRfc2217Port {
public:
    using TRfc2217Port::TRfc2217Port;
    void Take(const uint8_t *bytes, size_t size)
    {
        const size_t room = kMaxHeldInput - std::min(FInput.size(), kMaxHeldInput);
        TakeReceived(bytes, std::min(size, room));
        if (FInput.size() > kMaxHeldInput)
            std::abort();
    }
    bool Refused() const { return TRfc2217Port::Refused(); }
};

// A server on 127.0.0.1 that agrees the COM-port option on every connection and then reads and
// drops whatever comes.
uint16_t StartServer()
{
    const int listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (::bind(listener, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0 || ::listen(listener, 8) != 0 ||
        ::getsockname(listener, reinterpret_cast<sockaddr *>(&address), &length) != 0)
        std::abort();
    std::thread([listener] {
        for (;;) {
            const int connection = ::accept(listener, nullptr, nullptr);
            if (connection < 0)
                continue;
            std::thread([connection] {
                const uint8_t agree[] = {255, 253, 44};
                uint8_t buffer[4096];
                if (::read(connection, buffer, sizeof buffer) > 0 && ::write(connection, agree, sizeof agree) > 0)
                    while (::read(connection, buffer, sizeof buffer) > 0) {
                    }
                ::close(connection);
            }).detach();
        }
    }).detach();
    return ntohs(address.sin_port);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const std::string address = "rfc2217://127.0.0.1:" + std::to_string(StartServer());
    static TFuzzedLine line(nullptr, 50);
    if (size < 1)
        return 0;
    if (!line.IsOpen() || line.Refused() || line.HungUp())
        if (!line.Open(address))
            std::abort();
    const size_t cut = size_t(data[0]) + 1;
    for (size_t at = 1; at < size && !line.Refused(); at += cut) {
        line.Take(data + at, std::min(cut, size - at));
        uint8_t read[512];
        while (line.Read(read, sizeof read) > 0) {
        }
    }
    unsigned bits = 0;
    (void)line.ModemSignals(bits);
    (void)line.OutputHeld();
    // Line data out, which also ends a run of commands.
    const uint8_t frame[] = {0x01, 0xFF, 0x43};
    (void)line.Write(frame, sizeof frame);
    return 0;
}
